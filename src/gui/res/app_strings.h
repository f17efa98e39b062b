// app_strings.h - the string table.
//
//   kAppTitleId / kAppTitle   string 57344, "Omniset": the caption of every message box
//   kDeviceTitle              the device name that begins the sheet's caption
#pragma once

namespace omniset::res {

inline constexpr int kAppTitleId = 57344;
inline constexpr const char* kAppTitle = "Omniset";
inline constexpr const char* kDeviceTitle = "Velmar Brantis KX220";

} // namespace omniset::res
