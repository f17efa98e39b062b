// Templates 145 (load profile), 146 (save profile) and 148 (confirm the current profile).
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr Control kLoadControls[] {
    icon({10, 12, 21, 20}),
    group(kNoId, {38, 6, 140, 36}, "").by(1193),
    label(1193, {46, 20, 34, 8}, "请选择:"),
    dropList(1079, {82, 18, 88, 60}).by(1193),
    defButton(1, {36, 52, 50, 14}, "确定"),
    button(2, {100, 52, 50, 14}, "取消"),
};

constexpr TextEntry kLoadTextArray[] {
    {1193, "请选择:", "Select:"},
    {1, "确定", "Ok"},
    {2, "取消", "Cancel"},
    {kCaption, "读取配置", "Loading Profile"},
};

constexpr TextPair kLoadEntries[] {
    {"当前配置", "Current Profile"}, {"配置 0", "Profile 0"}, {"配置 1", "Profile 1"}};
constexpr ItemTexts kLoadItemArray[] {{1079, kLoadEntries}};

constexpr Control kSaveControls[] {
    icon({10, 12, 21, 20}),
    group(kNoId, {38, 6, 140, 36}, "").by(1195),
    label(1195, {46, 20, 34, 8}, "请选择:"),
    dropList(1081, {82, 18, 88, 40}).by(1195),
    defButton(1, {36, 52, 50, 14}, "确定"),
    button(2, {100, 52, 50, 14}, "取消"),
};

constexpr TextEntry kSaveTextArray[] {
    {1195, "请选择:", "Select:"},
    {1, "确定", "Ok"},
    {2, "取消", "Cancel"},
    {kCaption, "保存配置", "Saving Profile"},
};

constexpr TextPair kSaveEntries[] {{"配置 0", "Profile 0"}, {"配置 1", "Profile 1"}};
constexpr ItemTexts kSaveItemArray[] {{1081, kSaveEntries}};

constexpr Control kCurrentControls[] {
    icon({10, 10, 21, 20}),
    label(1196, {40, 16, 138, 10}, "将此配置作为当前配置？"),
    defButton(1, {36, 40, 50, 14}, "确定"),
    button(2, {100, 40, 50, 14}, "取消"),
};

constexpr TextEntry kCurrentTextArray[] {
    {1196, "将此配置作为当前配置？", "Saving as current profile?"},
    {1, "确定", "Ok"},
    {2, "取消", "Cancel"},
    {kCaption, "当前配置", "Current Profile"},
};

} // namespace

const DialogTemplate kLoadTemplate {145, 186, 74, "读取配置", 9, SysMenu, kLoadControls};
const TextTable kLoadTexts {kLoadTextArray};
const ItemTable kLoadItems {kLoadItemArray};

const DialogTemplate kSaveTemplate {146, 186, 74, "保存配置", 9, SysMenu, kSaveControls};
const TextTable kSaveTexts {kSaveTextArray};
const ItemTable kSaveItems {kSaveItemArray};

const DialogTemplate kCurrentTemplate {148, 186, 62, "当前配置", 9, SysMenu, kCurrentControls};
const TextTable kCurrentTexts {kCurrentTextArray};

} // namespace omniset::res
