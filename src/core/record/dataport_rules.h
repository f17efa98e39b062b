// dataport_rules.h - the data port page's values and their byte rules, as plain functions.
//
//   DataPortMembers               one value per control group of the page
//   fillDataPort(image, m)        the page's values from the record; returns the Check DTR
//                                 state, whether byte 110 named a serial mode, and which
//                                 bytes held no code of their field (with what was shown)
//   packDataPort(m, dtr, image, asRead)   the page's bytes into the record, in the packing
//                                 order; a byte the fill found outside its codes goes back
//                                 as read while its control still shows what the fill put
//                                 there (asRead empty: every field is written)
//   applyDataPortDefault(m)       the factory values of the Default button
//   synV120Indicator(item) / asynV120Indicator(item)   2 when the item is V.120, else 5
//   dialNumberAcceptable(number)  digits up to the first "*" (anything after it)
//
// Plain C++: the page moves these values between its controls and the members.
#pragma once

#include "core/record/profile_layout.h"

#include <string>

namespace omniset {

namespace dataport {
// Item indexes and codes the rules name.
inline constexpr int kDialAuto = 0, kDialManual = 1;
inline constexpr int kAnswerAuto = 0, kAnswerManual = 1;
inline constexpr int kSync = 0, kAsync = 1;
inline constexpr int kAllTransparent = 0, kSynV120Item = 2, kSynProtoItems = 3;
inline constexpr int kBaud64kItem = 7, kBaud64kCode = 9, kSynBaudItems = 8;
inline constexpr int kSynRtsCtsItem = 1, kRtsCtsCode = 2, kSynFlowItems = 2;
inline constexpr int kAsynV120Item = 1, kAsynProtoItems = 4, kAsynFlowItems = 3;
inline constexpr int kV120Indicator = 2, kOtherIndicator = 5;
inline constexpr int kThresholdDisabled = 255;     // byte 54: no second B channel
inline constexpr int kMaxThreshold = 127;          // kbit/s
inline constexpr int kMaxSeconds = 2550;           // release time and fare unit
inline constexpr int kAutoDialCode = 3;            // byte 113
inline constexpr int kNumberChars = 16;            // auto-dial number, validated
inline constexpr int kNumberInput = 32;            // auto-dial number edit, typed
} // namespace dataport

struct DataPortMembers {
    int m_nDialMode = dataport::kDialAuto;
    std::string m_strNumber;            // one character per byte
    int m_nAnswerMode = dataport::kAnswerAuto;
    int m_nCallControl = 0;             // AT command; never stored
    int m_bUpperOn = 0;
    int m_nUpper = 1;                   // kbit/s
    int m_nLower = 1;                   // kbit/s
    int m_bReleaseOn = 0;
    int m_nReleaseTime = 0;             // seconds
    int m_nFareUnit = 0;                // seconds
    int m_nSerialMode = dataport::kSync;
    int m_nSynProtoItem = dataport::kAllTransparent;
    int m_nSynBaud = dataport::kBaud64kItem;
    int m_nSynFlow = 0;
    int m_nASynProtoItem = 0;
    int m_nASynFlow = 1;

    bool operator==(const DataPortMembers&) const = default;
};

struct DataPortFill {
    bool checkDtr = false;        // check box 1073
    bool serialModeKnown = false; // byte 110 was 0 or 1: the combos follow the mode
    // Bytes that held no code of their field (of the serial mode read, for 104, 111, 112).
    bool oddAnswerMode = false;   // byte 4 neither 0 nor 1
    bool oddSerialMode = false;   // byte 110 neither 0 nor 1: 110, 111, 104, 112 as one
    bool oddSynBaud = false;      // byte 104 (synchronous)
    bool oddFlow = false;         // byte 111
    bool oddProtocol = false;     // byte 112
    DataPortMembers shown;        // the values the fill put on the controls
};

DataPortFill fillDataPort(const ProfileRecord& image, DataPortMembers& m);
void packDataPort(const DataPortMembers& m, bool checkDtr, ProfileRecord& image,
                  const DataPortFill& asRead = {});
void applyDataPortDefault(DataPortMembers& m);

int synV120Indicator(int synProtoItem);
int asynV120Indicator(int asynProtoItem);
bool dialNumberAcceptable(const std::string& number);

} // namespace omniset
