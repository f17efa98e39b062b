#include "core/platform/locale.h"

#include <cstdlib>

namespace omniset::platform {

bool isDoubleByteLocale(std::string_view name) {
    // The language part is what precedes '_', '.', '@' or '-'.
    auto end = name.find_first_of("_.@-");
    auto lang = name.substr(0, end);
    return lang == "zh" || lang == "ja" || lang == "ko";
}

bool doubleByteCharacterSet() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return isDoubleByteLocale(value);
    }
    return false;
}

} // namespace omniset::platform
