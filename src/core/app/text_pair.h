// text_pair.h - a text in both languages, picked by LanguageMode when it is shown.
//
//   TextPair         {Chinese, English}
//   textFor(pair)    the literal of the current LanguageMode
#pragma once

#include "core/app/language.h"

#include <QString>

namespace omniset {

struct TextPair {
    const char* zh;
    const char* en;
};

inline QString textFor(const TextPair& p) { return pickText(p.zh, p.en); }

} // namespace omniset
