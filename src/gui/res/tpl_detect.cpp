// Template 137: the device detection dialog.
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr Control kControls[] {
    icon({10, 10, 21, 20}),
    label(1056, {40, 14, 185, 10}, "   正在查询与串口相连的  Brantis KX220，请等待···"),
    progress(1057, {10, 38, 213, 12}).by(kNamedByCaption),
    button(2, {91, 62, 50, 14}, "停止"),
};

constexpr TextEntry kTexts[] {
    {kCaption, "查询串口", "Checking Serial Port"},
    {1056, "   正在查询与串口相连的  Brantis KX220，请等待···", "  Detecting Brantis KX220，请等待···"},
    {2, "停止", "Stop"},
};

} // namespace

const DialogTemplate kDetectTemplate {137, 233, 89, "查询串口", 9, SysMenu | CenterScreen, kControls};
const TextTable kDetectTexts {kTexts};
const TextPair kDetectPortText {"正在检查 COM%d", "Detecting COM%d"};

} // namespace omniset::res
