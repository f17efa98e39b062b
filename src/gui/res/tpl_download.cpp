// Template 167: the firmware download progress window.
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr Control kControls[] {
    label(1197, {10, 12, 88, 8}, "下载文件："),
    edit(1095, {100, 10, 150, 12}, ReadOnly).by(1197),
    label(1198, {10, 28, 88, 8}, "文件大小："),
    edit(1097, {100, 26, 50, 12}, ReadOnly).by(1198),
    label(kNoId, {154, 28, 10, 8}, "K"),
    label(1199, {10, 44, 88, 8}, "正在发送的数据包："),
    edit(1096, {100, 42, 50, 12}, ReadOnly).by(1199),
    label(1200, {10, 60, 88, 8}, "重试次数："),
    edit(1098, {100, 58, 50, 12}, ReadOnly).by(1200),
    label(1201, {10, 76, 88, 8}, "错误检查："),
    edit(1100, {100, 74, 50, 12}, ReadOnly).by(1201),
    progress(1146, {10, 94, 240, 10}).by(kNamedByCaption),
    button(2, {105, 112, 50, 14}, "取消"),
};

constexpr TextEntry kTexts[] {
    {1197, "下载文件：", "Filename:"},
    {1198, "文件大小：", "File size:"},
    {1199, "正在发送的数据包：", "Sending packet number："},
    {1200, "重试次数：", "Resend:"},
    {1201, "错误检查：", "Error check:"},
    {2, "取消", "Cancel"},
    {kCaption, "1k-XModem下载,此时不要做任何其它操作!", "1k-XModem download,don't do any other manipulates now!"},
};

} // namespace

const DialogTemplate kDownloadTemplate {167, 260, 134, "1k-XModem下载,此时不要做任何其它操作!", 9, 0, kControls};
const TextTable kDownloadTexts {kTexts};

} // namespace omniset::res
