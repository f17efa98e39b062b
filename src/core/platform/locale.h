// locale.h - the system's double-byte-character setting.
//
//   doubleByteCharacterSet()   true when the locale named by LC_ALL, LC_MESSAGES or LANG
//                              (the first that is set and not empty) is Chinese, Japanese
//                              or Korean; the locale need not be installed
//   isDoubleByteLocale(name)   the same test on a locale name ("zh_CN.UTF-8", "ja", "ko_KR")
#pragma once

#include <string_view>

namespace omniset::platform {

bool doubleByteCharacterSet();
bool isDoubleByteLocale(std::string_view name);

} // namespace omniset::platform
