// Template 130: the Telephone port page (TEL1 left, TEL2 right).
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr int kMsnLength = 15;
constexpr int kTextLength = 16;

constexpr Control kControls[] {
    // TEL1
    group(1149, {8, 13, 136, 181}, "电话端口一"),
    button(1150, {78, 25, 52, 14}, "默认设置"),
    group(1152, {8, 43, 136, 152}, "补充业务"),
    check(1092, {16, 57, 8, 9}).by(1154),
    label(1154, {31, 57, 38, 9}, "多用户号:"),
    edit(1040, {72, 53, 68, 12}, DigitsOnly, kMsnLength).by(1154),
    check(1093, {16, 74, 8, 11}).by(1156),
    label(1156, {31, 74, 38, 9}, "子地址:"),
    edit(1041, {72, 72, 67, 12}, ByteText, kTextLength).by(1156),
    check(1101, {16, 92, 8, 9}).by(1160),
    label(1160, {31, 92, 76, 8}, "用户-用户信令:"),
    edit(1100, {72, 105, 68, 12}, ByteText, kTextLength).by(1160),
    group(1162, {12, 126, 128, 25}, "主叫线识别限制"),
    radioFirst(1034, {14, 136, 58, 11}, "限制"),
    radio(1035, {75, 136, 63, 11}, "识别"),
    group(1164, {12, 157, 128, 27}, "被接线识别限制"),
    radioFirst(1038, {14, 169, 58, 11}, "限制"),
    radio(1039, {75, 169, 63, 12}, "识别"),
    // TEL2
    group(1151, {149, 13, 136, 181}, "电话端口二"),
    button(1085, {219, 25, 52, 14}, "默认设置"),
    group(1153, {149, 43, 136, 152}, "补充业务"),
    check(1115, {156, 57, 8, 9}).by(1155),
    label(1155, {171, 57, 38, 9}, "多用户号:"),
    edit(1142, {213, 53, 68, 12}, DigitsOnly, kMsnLength).by(1155),
    check(1196, {156, 75, 8, 8}).by(1157),
    label(1157, {171, 74, 38, 9}, "子地址:"),
    edit(1143, {213, 73, 68, 12}, ByteText, kTextLength).by(1157),
    check(1202, {156, 92, 8, 9}).by(1161),
    label(1161, {171, 92, 82, 10}, "用户-用户信令:"),
    edit(1103, {213, 105, 68, 12}, ByteText, kTextLength).by(1161),
    group(1163, {153, 126, 128, 25}, "主叫线识别限制"),
    radioFirst(1136, {156, 136, 58, 11}, "限制"),
    radio(1137, {214, 136, 63, 11}, "识别"),
    group(1165, {153, 157, 128, 27}, "被接线识别限制"),
    radioFirst(1144, {156, 169, 58, 13}, "限制"),
    radio(1045, {214, 169, 63, 13}, "识别"),
    button(1104, {197, 204, 52, 14}, "高级设置"),
};

constexpr TextEntry kTexts[] {
    {1149, "电话端口一", "TEL1"},
    {1150, "默认设置", "Default"},
    {1152, "补充业务", "Supplementary Services"},
    {1154, "多用户号:", "MSN:"},
    {1156, "子地址:", "Subaddr:"},
    {1160, "用户-用户信令:", "UUS:"},
    {1162, "主叫线识别限制", "CLIR"},
    {1034, "限制", "Restriction"},
    {1035, "识别", "Presentation"},
    {1164, "被接线识别限制", "COLR"},
    {1038, "限制", "Restriction"},
    {1039, "识别", "Presentation"},
    {1151, "电话端口二", "TEL2"},
    {1085, "默认设置", "Default"},
    {1153, "补充业务", "Supplementary Services"},
    {1155, "多用户号:", "MSN:"},
    {1157, "子地址:", "Subaddr:"},
    {1161, "用户-用户信令:", "UUS:"},
    {1163, "主叫线识别限制", "CLIR"},
    {1136, "限制", "Restriction"},
    {1137, "识别", "Presentation"},
    {1165, "被接线识别限制", "COLR"},
    {1144, "限制", "Restriction"},
    {1045, "识别", "Presentation"},
    {1104, "高级设置", "Advanced"},
};

} // namespace

const DialogTemplate kTelPortTemplate {130, 293, 225, "电话端口设置", 9, Page, kControls};
const TextTable kTelPortTexts {kTexts};

} // namespace omniset::res
