#include "camera/generalcamera.h"

GeneralCamera::~GeneralCamera() = default;
