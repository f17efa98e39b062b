// Template 152: the General information page.
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr Control kControls[] {
    group(1202, {42, 14, 206, 73}, "KX220主机状况"),
    label(1207, {52, 30, 53, 8}, "ISDN端口类型:"),
    value(1208, {113, 30, 128, 8}).by(1207),
    label(1209, {52, 49, 61, 10}, "当前软件版本号:"),
    value(1210, {113, 49, 128, 10}).by(1209),
    label(1217, {52, 68, 37, 11}, "产品型号:"),
    value(1218, {113, 68, 128, 10}).by(1217),
    group(1211, {42, 94, 206, 73}, "产品信息"),
    label(1212, {53, 110, 182, 10}, "Brantis KX220 配置程序 Omniset 2.0 发行版"),
    label(1213, {53, 124, 115, 10}, "版权所有："),
    icon({53, 139, 21, 21}),
    label(1214, {82, 146, 129, 12}, "维尔马公司"),
    button(1205, {95, 176, 101, 17}, "KX220主机软件下载"),
    button(1206, {42, 201, 101, 17}, "KX220设置为PC机时间"),
    button(1222, {147, 201, 101, 17}, "恢复KX220出厂设置"),
};

constexpr TextEntry kTexts[] {
    {1202, "KX220主机状况", "KX220 Information"},
    {1207, "ISDN端口类型:", "ISDN Port Type:"},
    {1209, "当前软件版本号:", "Version Number:"},
    {1217, "产品型号:", "Model:"},
    {1211, "产品信息", "Product Information"},
    {1212, "Brantis KX220 配置程序 Omniset 2.0 发行版", "Brantis KX220 Omniset 2.0 Release Version"},
    {1213, "版权所有：", "Copyright:"},
    {1214, "维尔马公司", "Velmar Corporation"},
    {1205, "KX220主机软件下载", "Download   Software"},
    {1206, "KX220设置为PC机时间", "Set Date^Time as PC's"},
    {1222, "恢复KX220出厂设置", "Restore Factory Settings"},
};

} // namespace

const DialogTemplate kGeneralTemplate {152, 286, 225, "通用信息显示", 9, Page, kControls};
const TextTable kGeneralTexts {kTexts};

} // namespace omniset::res
