#include "core/app/settings_store.h"

#include "core/platform/ini_file.h"
#include "core/platform/paths.h"

namespace omniset {

int GetSettingInt(const char* section, const char* key, int def) {
    return platform::iniReadInt(platform::settingsFilePath(), section, key, def);
}

bool PutSettingInt(const char* section, const char* key, int value) {
    return platform::iniWriteInt(platform::settingsFilePath(), section, key, value);
}

} // namespace omniset
