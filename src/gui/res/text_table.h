// text_table.h - the texts a window sets on every repaint, both languages side by side.
//
//   TextEntry        {control id, Chinese, English}; id kCaption is the window caption
//   TextTable        the entries of one window
//   TextPair         {Chinese, English} without a control (list items, format texts): the
//                    core's type
//   ItemTexts        the items of one drop-down list in both languages
//   ItemTable        the lists of one window
//   textFor(pair)    the literal of the current LanguageMode
#pragma once

#include "core/app/text_pair.h"

#include <QString>

#include <span>

namespace omniset::res {

// Pseudo-identifier of the window caption in a TextTable.
inline constexpr int kCaption = -2;

struct TextEntry {
    int id;
    const char* zh;
    const char* en;
};
using TextTable = std::span<const TextEntry>;

using omniset::TextPair;
using omniset::textFor;

struct ItemTexts {
    int id;
    std::span<const TextPair> items;
};
using ItemTable = std::span<const ItemTexts>;

inline QString textFor(const TextEntry& e) { return pickText(e.zh, e.en); }

} // namespace omniset::res
