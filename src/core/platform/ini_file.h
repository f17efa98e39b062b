// ini_file.h - integer values in a classic sectioned INI file.
//
//   iniReadInt(path, section, key, def)    the value of key in [section]; def when the file,
//                                          the section or the key is missing or the value is
//                                          empty; otherwise the value's leading decimal
//                                          number (optional sign), 0 when it has none.
//                                          Section and key names match case-insensitively.
//   iniWriteInt(path, section, key, value) store the value as decimal text, creating the
//                                          directory, file, section or key as needed and
//                                          keeping every other line; the file is replaced
//                                          atomically, keeping its mode (a new file gets
//                                          the umask's), and a symbolic link is written
//                                          through to its target. False when it could not
//                                          be written; a file that exists but cannot be
//                                          read is never replaced.
//   parseIniInt(text, def)                 the integer rule above, on a value's text
#pragma once

#include <QString>

#include <string_view>

namespace omniset::platform {

int iniReadInt(const QString& path, std::string_view section, std::string_view key, int def);
bool iniWriteInt(const QString& path, std::string_view section, std::string_view key, int value);
int parseIniInt(std::string_view text, int def);

} // namespace omniset::platform
