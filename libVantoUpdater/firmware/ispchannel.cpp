#include "ispchannel.h"

IspChannel::~IspChannel() = default;
