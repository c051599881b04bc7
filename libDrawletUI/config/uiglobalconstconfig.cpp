#include "uiglobalconstconfig.h"

namespace drawlet {
namespace ui {

const int UIGlobalConstConfig::BUTTON_SIZE;
const QString UIGlobalConstConfig::RESOURCE_BUTTON_PATH = QStringLiteral(":/resource/button/");

UIGlobalConstConfig::UIGlobalConstConfig() { }

UIGlobalConstConfig::~UIGlobalConstConfig() { }

} // namespace ui
} // namespace drawlet
