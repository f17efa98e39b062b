#include "language.h"

#include "platform/locale.h"

namespace omniset {

int LanguageMode = 1;

void initLanguageMode() { LanguageMode = platform::doubleByteCharacterSet() ? 0 : 1; }

void toggleLanguage() { LanguageMode = 1 - LanguageMode; }

} // namespace omniset
