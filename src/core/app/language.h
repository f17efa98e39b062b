// language.h - LanguageMode and the choice of texts.
//
//   LanguageMode          1 = English texts, 0 = Chinese texts (process-wide, not persisted)
//   initLanguageMode()    0 when the system's locale is Chinese, Japanese or Korean, else 1
//   pickText(zh, en)      the literal of the current language, as a QString (UTF-8 sources)
//   toggleLanguage()      1 becomes 0, 0 becomes 1 (the sheet's language button)
//   followToolkitLanguage()  the toolkit's own texts (box buttons, file dialog, context
//                         menus) in the language of LanguageMode, from the system's Qt
//                         translations; false when they cannot be loaded. The two
//                         functions above call it.
#pragma once

#include <QString>

namespace omniset {

extern int LanguageMode;

void initLanguageMode();
void toggleLanguage();
bool followToolkitLanguage();

inline QString pickText(const char* zh, const char* en) {
    return QString::fromUtf8(LanguageMode == 1 ? en : zh);
}

} // namespace omniset
