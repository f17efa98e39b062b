// Template 160: the telephone port advanced dialog.
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr int kPrefixLength = 5;

constexpr const char* kKeypadItems[] {"使用keypad方式", "使用被叫号码方式"};

constexpr Control kControls[] {
    group(1187, {8, 9, 115, 47}, "电话端口一信息传送能力"),
    radioFirst(1024, {21, 23, 52, 11}, "话音"),
    radio(1023, {21, 38, 92, 11}, "3.1KHz音频"),
    group(1192, {143, 9, 115, 47}, "电话端口二信息传送能力"),
    radioFirst(1127, {155, 23, 46, 11}, "话音"),
    radio(1128, {155, 37, 92, 11}, "3.1KHz音频"),
    group(1189, {8, 62, 251, 94}, "通用控制"),
    group(1188, {20, 75, 93, 33}, "编解码规则"),
    radioFirst(1025, {29, 89, 37, 10}, "A律"),
    radio(1026, {74, 89, 36, 10}, "μ律"),
    label(1190, {138, 75, 81, 9}, "键盘协议:", GroupStart),
    dropList(1099, {143, 89, 104, 40}, kKeypadItems).by(1190),
    group(1223, {20, 116, 227, 32}, "长途电话字冠"),
    label(1224, {25, 131, 64, 8}, "国内长途:", AlignCenter),
    edit(1095, {97, 127, 25, 13}, None, kPrefixLength).by(1224),
    label(1225, {131, 131, 70, 8}, "国际长途:", AlignCenter),
    edit(1096, {206, 127, 25, 13}, None, kPrefixLength).by(1225),
    defButton(1, {81, 163, 44, 13}, "确定"),
    button(2, {143, 163, 44, 13}, "取消"),
};

constexpr TextEntry kTexts[] {
    {kCaption, "电话端口高级设置", "Telephone Port Advanced Settings"},
    {1187, "电话端口一信息传送能力", "TEL1 Bearing Capability"},
    {1024, "话音", "Speech"},
    {1023, "3.1KHz音频", "3.1KHz Audio"},
    {1192, "电话端口二信息传送能力", "TEL2 Bearing Capability"},
    {1127, "话音", "Speech"},
    {1128, "3.1KHz音频", "3.1KHz Audio"},
    {1189, "通用控制", "General Settings"},
    {1188, "编解码规则", "Coding Law"},
    {1025, "A律", "A Law"},
    {1026, "μ律", "μLaw"},
    {1190, "键盘协议:", "Keypad Protocol:"},
    {1223, "长途电话字冠", "Long Distance Call Prefix"},
    {1224, "国内长途:", "National:"},
    {1225, "国际长途:", "International:"},
    {1, "确定", "Ok"},
    {2, "取消", "Cancel"},
};

constexpr TextPair kKeypad[] {
    {"使用keypad方式", "Using keypad mode"},
    {"使用被叫号码方式", "Using called number mode"},
};

constexpr ItemTexts kItems[] {{1099, kKeypad}};

} // namespace

const DialogTemplate kTelAdvTemplate {160, 269, 183, "电话端口高级设置", 9, SysMenu, kControls};
const TextTable kTelAdvTexts {kTexts};
const ItemTable kTelAdvItems {kItems};

} // namespace omniset::res
