// Template 151: the Data port page.
//
// Layout: dial, answer and call control modes across the top; bandwidth on demand in the
// middle; the serial mode with the Advanced and Default buttons, then the SYNC and ASYN
// settings side by side at the bottom.
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr int kNumberInput = 32;

constexpr const char* kSynProtoItems[] {"全透明", "字符透明", "V.120"};
constexpr const char* kSynBaudItems[] {"600", "1200", "2400", "4800", "9600", "19.2K", "38.4K", "64K"};
constexpr const char* kSynFlowItems[] {"无", "RTS/CTS"};
constexpr const char* kAsynProtoItems[] {"字符透明", "V.120", "PPP", "Mutilink PPP"};
constexpr const char* kAsynFlowItems[] {"无", "XON/XOFF", "RTS/CTS"};

constexpr Control kControls[] {
    // dial mode
    group(1127, {6, 4, 100, 44}, "拨号方式设置"),
    radioFirst(1064, {12, 16, 36, 10}, "自动"),
    radio(1065, {52, 16, 50, 10}, "手动"),
    label(1128, {12, 32, 30, 8}, "号码:", GroupStart),
    edit(1063, {44, 30, 58, 12}, DigitsOnly | ByteText, kNumberInput).by(1128),
    // answer mode
    group(1129, {110, 4, 96, 44}, "应答方式设置"),
    radioFirst(1071, {116, 14, 84, 10}, "自动应答"),
    check(1073, {126, 25, 74, 10}, "检测DTR"),
    radio(1072, {116, 36, 84, 10}, "手动应答"),
    // call control mode
    group(1130, {210, 4, 77, 44}, "呼叫控制方式"),
    radioFirst(1007, {216, 16, 66, 10}, "AT命令"),
    radio(1008, {216, 30, 66, 10}, "V.25bis", Disabled),
    // bandwidth on demand
    group(1131, {6, 52, 281, 72}, "自动带宽分配"),
    check(1091, {12, 64, 10, 9}).by(1132),
    label(1132, {24, 64, 48, 8}, "如果流量大于", GroupStart),
    edit(1106, {74, 62, 28, 12}, DigitsOnly).by(1132),
    label(1136, {106, 64, 176, 8}, "Kbps,连接第二个B信道。"),
    check(1108, {12, 79, 10, 9}).by(1133),
    label(1133, {24, 79, 48, 8}, "如果流量小于"),
    edit(1096, {74, 77, 28, 12}, DigitsOnly).by(1133),
    label(1137, {106, 79, 24, 8}, "Kbps,"),
    label(1135, {132, 79, 34, 8}, "计时超过"),
    edit(1107, {168, 77, 40, 12}, DigitsOnly).by(1135),
    label(1138, {24, 94, 258, 8}, "秒,并且快到电话计费时间单位整数倍时,拆除第二个B信道。"),
    label(1226, {24, 109, 104, 8}, "本地\"一线通\"电话计费时间单位:"),
    edit(1095, {130, 107, 36, 12}).by(1226),
    label(1227, {170, 109, 24, 8}, "秒。"),
    // serial mode
    group(1142, {6, 128, 140, 26}, "串行方式"),
    radioFirst(1005, {14, 140, 50, 10}, "同步"),
    radio(1006, {76, 140, 50, 10}, "异步"),
    button(1090, {174, 135, 52, 14}, "高级设置", GroupStart),
    button(1084, {232, 135, 52, 14}, "默认设置"),
    // SYNC settings
    group(1001, {6, 158, 140, 60}, "同步设置"),
    label(1139, {12, 172, 40, 8}, "通信协议:"),
    dropList(1012, {54, 170, 88, 50}, kSynProtoItems).by(1139),
    label(1140, {12, 187, 40, 8}, "波特率:"),
    dropList(1014, {54, 185, 88, 80}, kSynBaudItems).by(1140),
    label(1141, {12, 202, 40, 8}, "流量控制:"),
    dropList(1016, {54, 200, 88, 40}, kSynFlowItems).by(1141),
    // ASYN settings
    group(1002, {150, 158, 137, 60}, "异步设置"),
    label(1147, {156, 172, 40, 8}, "通信协议:"),
    dropList(1013, {198, 170, 86, 60}, kAsynProtoItems).by(1147),
    label(1148, {156, 187, 40, 8}, "流量控制:"),
    dropList(1017, {198, 185, 86, 50}, kAsynFlowItems).by(1148),
};

constexpr TextEntry kTexts[] {
    {1127, "拨号方式设置", "Dial mode Settings"},
    {1064, "自动", "Auto"},
    {1065, "手动", "Manually"},
    {1128, "号码:", "Number:"},
    {1129, "应答方式设置", "Answer mode Settings"},
    {1071, "自动应答", "Auto answer"},
    {1073, "检测DTR", "Check DTR"},
    {1072, "手动应答", "Manually answer"},
    {1130, "呼叫控制方式", "Call control mode"},
    {1007, "AT命令", "AT command"},
    {1131, "自动带宽分配", "Bandwidth on Demand"},
    {1132, "如果流量大于", "If data flux >"},
    {1136, "Kbps,连接第二个B信道。", "Kbps, connect the 2nd B_Channel."},
    {1133, "如果流量小于", "If data flux <"},
    {1137, "Kbps,", "Kbps,"},
    {1135, "计时超过", "time >"},
    {1138, "秒,并且快到电话计费时间单位整数倍时,拆除第二个B信道。",
     "s, till the time of ISDN fare unit, disconnect the 2nd B_Channel."},
    {1226, "本地\"一线通\"电话计费时间单位:", "Local ISDN fare unit of time:"},
    {1227, "秒。", "s."},
    {1142, "串行方式", "Serial mode"},
    {1005, "同步", "SYNC"},
    {1006, "异步", "ASYN"},
    {1001, "同步设置", "SYNC Settings"},
    {1139, "通信协议:", "Protocol:"},
    {1140, "波特率:", "Baudrate:"},
    {1141, "流量控制:", "FlowControl:"},
    {1002, "异步设置", "ASYN Settings"},
    {1147, "通信协议:", "Protocol:"},
    {1148, "流量控制:", "FlowControl:"},
    {1090, "高级设置", "Advanced"},
    {1084, "默认设置", "Default"},
};

constexpr TextPair kSynProto[] {
    {"全透明", "All transparent"}, {"字符透明", "Character transparent"}, {"V.120", "V.120"}};
constexpr TextPair kSynFlow[] {{"无", "None"}, {"RTS/CTS", "RTS/CTS"}};
constexpr TextPair kAsynProto[] {
    {"字符透明", "Character transparent"}, {"V.120", "V.120"}, {"PPP", "PPP"},
    {"Mutilink PPP", "Mutilink PPP"}};
constexpr TextPair kAsynFlow[] {{"无", "None"}, {"XON/XOFF", "XON/XOFF"}, {"RTS/CTS", "RTS/CTS"}};

// 1014 (the baud rates) reads the same in both languages and is never rebuilt.
constexpr ItemTexts kItems[] {
    {1012, kSynProto}, {1016, kSynFlow}, {1013, kAsynProto}, {1017, kAsynFlow}};

} // namespace

const DialogTemplate kDataPortTemplate {151, 293, 225, "数据端口设置", 9, Page, kControls};
const TextTable kDataPortTexts {kTexts};
const ItemTable kDataPortItems {kItems};

} // namespace omniset::res
