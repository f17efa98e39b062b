// Template 159: the data port advanced dialog.
//
// Layout: supplementary services, CLIR/COLR, quick dialing and V.120 in the left column;
// V.24 signals, asynchronous settings and the RING message in the right; OK and Cancel at
// the bottom right.
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr int kMsnLength = 15;
constexpr int kTextLength = 16;

constexpr const char* kBaudItems[] {"600", "1200", "2400", "4800", "9600", "19.2K", "38.4K", "57.6K", "115.2K"};
constexpr const char* kDataBitItems[] {"7位", "8位"};
constexpr const char* kParityItems[] {"奇", "偶", "无"};
constexpr const char* kStopBitItems[] {"1位", "2位"};
constexpr const char* kServiceItems[] {"UI帧模式", "多帧模式"};
constexpr const char* kRingItems[] {"每秒一次", "只输出一次"};

constexpr Control kControls[] {
    // supplementary services
    group(1166, {7, 6, 180, 58}, "补充业务"),
    check(1094, {13, 19, 10, 9}).by(1167),
    label(1167, {25, 19, 50, 8}, "多用户号:"),
    edit(1040, {77, 17, 104, 12}, DigitsOnly, kMsnLength).by(1167),
    check(1109, {13, 33, 10, 9}).by(1172),
    label(1172, {25, 33, 50, 8}, "子地址:"),
    edit(1041, {77, 31, 104, 12}, ByteText, kTextLength).by(1172),
    check(1092, {13, 47, 10, 9}).by(1219),
    label(1219, {25, 47, 50, 8}, "用户-用户信令:"),
    edit(1096, {77, 45, 104, 12}, ByteText, kTextLength).by(1219),
    group(1168, {7, 68, 88, 28}, "主叫线识别限制"),
    radioFirst(1034, {13, 81, 34, 10}, "限制"),
    radio(1035, {51, 81, 34, 10}, "识别"),
    group(1169, {99, 68, 88, 28}, "被接线识别限制"),
    radioFirst(1038, {105, 81, 34, 10}, "限制"),
    radio(1039, {143, 81, 34, 10}, "识别"),
    // quick dialing
    group(1170, {7, 100, 180, 72}, "缩位拨号"),
    label(1171, {13, 113, 94, 8}, "第一条号码(对应NVRAM中S0):", GroupStart),
    edit(1199, {109, 111, 72, 12}, DigitsOnly).by(1171),
    label(1173, {13, 128, 94, 8}, "第二条号码(对应NVRAM中S1):"),
    edit(1200, {109, 126, 72, 12}, DigitsOnly).by(1173),
    label(1174, {13, 143, 94, 8}, "第三条号码(对应NVRAM中S2):"),
    edit(1095, {109, 141, 72, 12}, DigitsOnly).by(1174),
    label(1175, {13, 158, 94, 8}, "第四条号码(对应NVRAM中S3):"),
    edit(1098, {109, 156, 72, 12}, DigitsOnly).by(1175),
    // V.120
    group(1176, {7, 176, 180, 60}, "V.120"),
    label(1004, {13, 190, 52, 8}, "V.120 业务类型:"),
    dropList(1022, {67, 188, 114, 40}, kServiceItems).by(1004),
    radioFirst(1009, {13, 205, 60, 10}, "协商链路号"),
    radio(1010, {77, 205, 64, 10}, "不协商链路号"),
    label(1177, {13, 221, 42, 8}, "滑动窗口K值:", GroupStart),
    edit(1097, {57, 219, 28, 12}).by(1177),
    label(1178, {89, 221, 50, 8}, "范围:1-127"),
    // V.24 signals
    group(1002, {193, 6, 180, 42}, "V.24端口设置"),
    label(1179, {201, 19, 100, 8}, "DSR信号常有效:"),
    check(1110, {305, 19, 10, 9}).by(1179),
    label(1180, {201, 33, 100, 8}, "DCD信号常有效:"),
    check(1111, {305, 33, 10, 9}).by(1180),
    // asynchronous settings
    group(1181, {193, 52, 180, 94}, "异步设置"),
    label(1182, {201, 65, 100, 8}, "禁止自动波特率功能:"),
    check(1091, {305, 65, 10, 9}).by(1182),
    label(1183, {201, 81, 60, 8}, "波特率:"),
    dropList(1015, {263, 79, 104, 60}, kBaudItems).by(1183),
    label(1184, {201, 96, 60, 8}, "数据位:"),
    dropList(1018, {263, 94, 104, 40}, kDataBitItems).by(1184),
    label(1185, {201, 111, 60, 8}, "校验位:"),
    dropList(1020, {263, 109, 104, 40}, kParityItems).by(1185),
    label(1186, {201, 126, 60, 8}, "停止位:"),
    dropList(1021, {263, 124, 104, 40}, kStopBitItems).by(1186),
    // RING message
    label(1191, {201, 156, 60, 8}, "呼入RING消息:"),
    dropList(1102, {263, 154, 104, 40}, kRingItems).by(1191),
    defButton(1, {233, 218, 50, 14}, "确定"),
    button(2, {297, 218, 50, 14}, "取消"),
};

constexpr TextEntry kTexts[] {
    {kCaption, "数据端口高级设置", "DTE Advanced Settings"},
    {1166, "补充业务", "Supplementary Services"},
    {1167, "多用户号:", "MSN:"},
    {1172, "子地址:", "Subaddr:"},
    {1219, "用户-用户信令:", "UUS:"},
    {1168, "主叫线识别限制", "CLIR"},
    {1034, "限制", "Yes"},
    {1035, "识别", "No"},
    {1169, "被接线识别限制", "COLR"},
    {1038, "限制", "Yes"},
    {1039, "识别", "No"},
    {1170, "缩位拨号", "Quick Dialing"},
    {1171, "第一条号码(对应NVRAM中S0):", "Number 1 in NVRAM:"},
    {1173, "第二条号码(对应NVRAM中S1):", "Number 2 in NVRAM:"},
    {1174, "第三条号码(对应NVRAM中S2):", "Number 3 in NVRAM:"},
    {1175, "第四条号码(对应NVRAM中S3):", "Number 4 in NVRAM:"},
    {1004, "V.120 业务类型:", "V.120 Service:"},
    {1009, "协商链路号", "Negotiate"},
    {1010, "不协商链路号", "default"},
    {1177, "滑动窗口K值:", "K value:"},
    {1178, "范围:1-127", "Range:1-127"},
    {1002, "V.24端口设置", "V.24 Port Settings"},
    {1179, "DSR信号常有效:", "Enable DSR signal:"},
    {1180, "DCD信号常有效:", "Enable DCD signal:"},
    {1181, "异步设置", "Asynchronous Settings"},
    {1182, "禁止自动波特率功能:", "Forbidding autobaud:"},
    {1183, "波特率:", "Baudrate:"},
    {1184, "数据位:", "Data bits:"},
    {1185, "校验位:", "Parity mode:"},
    {1186, "停止位:", "Stop bit(s):"},
    {1191, "呼入RING消息:", "Ring Message :"},
    {2, "取消", "Cancel"},
    {1, "确定", "OK"},
};

constexpr TextPair kService[] {{"UI帧模式", "Unacknowledge mode"}, {"多帧模式", "Mutiframe mode"}};
constexpr TextPair kDataBits[] {{"7位", "7bits"}, {"8位", "8bits"}};
constexpr TextPair kParity[] {{"奇", "Odd"}, {"偶", "Even"}, {"无", "None"}};
constexpr TextPair kStopBits[] {{"1位", "1bit"}, {"2位", "2bits"}};
constexpr TextPair kRing[] {{"每秒一次", "Once per second"}, {"只输出一次", "Once only"}};

// 1015 (the baud rates) reads the same in both languages and is never rebuilt.
constexpr ItemTexts kItems[] {
    {1022, kService}, {1018, kDataBits}, {1020, kParity}, {1021, kStopBits}, {1102, kRing}};

} // namespace

const DialogTemplate kDataAdvTemplate {159, 380, 242, "数据端口高级设置", 9, SysMenu, kControls};
const TextTable kDataAdvTexts {kTexts};
const ItemTable kDataAdvItems {kItems};

} // namespace omniset::res
