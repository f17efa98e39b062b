// The main sheet's texts (the sheet is built in code, not from a template) and the list
// of all templates.
#include "gui/res/templates.h"

#include <algorithm>

namespace omniset::res {

namespace {

constexpr TextEntry kButtons[] {
    {kLoadButtonId, "读取", "Load"},
    {kSaveButtonId, "保存", "Save"},
    {kLanguageButtonId, "English", "中文"},
    {1, "确定", "Ok"},
    {2, "退出", "Exit"},
};

constexpr TextPair kTabs[] {
    {"通用信息显示", "General information"},
    {"电话端口设置", "Telephone port Settings"},
    {"数据端口设置", "Data port Settings"},
};

// The extra buttons' texts when they are created; the first repaint replaces them.
constexpr TextEntry kInitial[] {
    {kLanguageButtonId, "英文", "英文"},
    {kLoadButtonId, "读取", "读取"},
    {kSaveButtonId, "保存", "保存"},
};

constexpr const DialogTemplate* kAll[] {
    &kDetectTemplate, &kGeneralTemplate, &kTelPortTemplate, &kDataPortTemplate,
    &kDataAdvTemplate, &kTelAdvTemplate, &kLoadTemplate, &kSaveTemplate,
    &kCurrentTemplate, &kSavingTemplate, &kReadingTemplate, &kDownloadTemplate,
};

} // namespace

const TextTable kSheetTexts {kButtons};
const std::span<const TextPair> kSheetTabs {kTabs};
const TextTable kSheetButtonInitial {kInitial};

std::span<const DialogTemplate* const> allTemplates() { return kAll; }

const DialogTemplate* findTemplate(int number) {
    const auto it = std::find_if(std::begin(kAll), std::end(kAll),
                                 [number](const DialogTemplate* t) { return t->number == number; });
    return it == std::end(kAll) ? nullptr : *it;
}

} // namespace omniset::res
