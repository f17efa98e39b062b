// settings_store.h - the integer values kept on the PC between runs (omniset.INI).
//
//   GetSettingInt(section, key, def)    the stored value, or def
//   PutSettingInt(section, key, value)  store the value; false when the file could not be
//                                       written (callers ignore it: a failed write is lost
//                                       but never damages the file)
#pragma once

namespace omniset {

// Sections and keys of the settings file.
namespace settings {
inline constexpr char AsyncSection[] = "Asychron_set";
inline constexpr char ComNo[] = "iComNo";
inline constexpr char BaudRate[] = "m_baudrate2";
inline constexpr char DataBits[] = "m_data2";
inline constexpr char Parity[] = "m_paritychk2";
inline constexpr char StopBits[] = "m_stopbits2";
inline constexpr char SyncSection[] = "syn_asychron_set";
inline constexpr char Syn[] = "m_bSyn";
inline constexpr char SynProto[] = "m_nSynProto";
inline constexpr char ASynProto[] = "m_nASynProto";
inline constexpr char PotsSection[] = "POTSAd_set";
inline constexpr char Init[] = "m_bInit";
} // namespace settings

int GetSettingInt(const char* section, const char* key, int def);
bool PutSettingInt(const char* section, const char* key, int value);

} // namespace omniset
