// The data port page's byte rules. Values outside a field's range leave its byte as read,
// and so does a byte that held no code of its field while the user left its control as the
// fill set it: the page never changes a setting the user did not touch.
#include "core/record/dataport_rules.h"

namespace omniset {

using namespace dataport;

namespace {

bool within(int v, int lo, int hi) { return v >= lo && v <= hi; }

std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v); }

// A byte read outside its codes whose control still shows what the fill put there.
bool kept(bool odd, int now, int shown) { return odd && now == shown; }

bool sameSerialBlock(const DataPortMembers& a, const DataPortMembers& b) {
    return a.m_nSerialMode == b.m_nSerialMode && a.m_nSynProtoItem == b.m_nSynProtoItem &&
           a.m_nSynBaud == b.m_nSynBaud && a.m_nSynFlow == b.m_nSynFlow &&
           a.m_nASynProtoItem == b.m_nASynProtoItem && a.m_nASynFlow == b.m_nASynFlow;
}

void fillSynchronous(const ProfileRecord& image, DataPortMembers& m, DataPortFill& out) {
    m.m_nSerialMode = kSync;
    m.m_nCallControl = 0;
    const int baud = image.byte(field::SyncBaud);
    out.oddSynBaud = !within(baud, 0, kBaud64kItem - 1) && baud != kBaud64kCode;
    m.m_nSynBaud = baud == kBaud64kCode ? kBaud64kItem : baud;
    const int flow = image.byte(field::FlowControl);
    out.oddFlow = flow != 0 && flow != kRtsCtsCode;
    m.m_nSynFlow = flow == kRtsCtsCode ? kSynRtsCtsItem : flow;
    const int proto = image.byte(field::Protocol);
    out.oddProtocol = !within(proto, 0, kSynProtoItems - 1);
    if (!out.oddProtocol) m.m_nSynProtoItem = proto;
    // All transparent runs at 64K only.
    if (m.m_nSynProtoItem == kAllTransparent) m.m_nSynBaud = kBaud64kItem;
}

void fillAsynchronous(const ProfileRecord& image, DataPortMembers& m, DataPortFill& out) {
    m.m_nSerialMode = kAsync;
    m.m_nCallControl = 0;
    const int proto = image.byte(field::Protocol);
    out.oddProtocol = !within(proto, 1, kAsynProtoItems);
    if (!out.oddProtocol) m.m_nASynProtoItem = proto - 1;
    m.m_nASynFlow = image.byte(field::FlowControl);
    out.oddFlow = !within(m.m_nASynFlow, 0, kAsynFlowItems - 1);
}

void packBandwidth(const DataPortMembers& m, ProfileRecord& image) {
    if (!m.m_bUpperOn) image.setByte(field::UpperThreshold, kThresholdDisabled);
    else if (within(m.m_nUpper, 1, kMaxThreshold)) image.setByte(field::UpperThreshold, u8(m.m_nUpper * 2));
    if (within(m.m_nLower, 1, kMaxThreshold)) image.setByte(field::LowerThreshold, u8(m.m_nLower * 2));
    if (!m.m_bReleaseOn) image.setByte(field::ReleaseTime, 0);
    else if (within(m.m_nReleaseTime, 0, kMaxSeconds))
        image.setByte(field::ReleaseTime, u8(m.m_nReleaseTime / 10));
    if (within(m.m_nFareUnit, 1, kMaxSeconds)) image.setByte(field::FareUnit, u8(m.m_nFareUnit / 10));
}

void packDialMode(const DataPortMembers& m, ProfileRecord& image) {
    if (m.m_nDialMode == kDialManual) {
        image.setByte(field::DialMode, 0);
        return;
    }
    // Only a number within the validated length goes in, with its terminating zero.
    const auto n = static_cast<int>(m.m_strNumber.size());
    if (m.m_nDialMode != kDialAuto || n == 0 || n > kNumberChars) return;
    image.setByte(field::DialMode, kAutoDialCode);
    image.setByte(field::CheckDtr, 1);
    image.setText(field::AutoDialNumber, n + 1, m.m_strNumber);
}

void packSerialMode(const DataPortMembers& m, ProfileRecord& image, const DataPortFill& asRead) {
    const DataPortMembers& shown = asRead.shown;
    // A mode byte the page could not read: the whole block stays until the user changes it.
    if (asRead.oddSerialMode && sameSerialBlock(m, shown)) return;
    // In the mode read, a byte outside that mode's codes stays while its list is untouched.
    const bool sameMode = !asRead.oddSerialMode && m.m_nSerialMode == shown.m_nSerialMode;
    auto keep = [sameMode](bool odd, int now, int was) { return sameMode && kept(odd, now, was); };
    if (m.m_nSerialMode == kSync) {
        image.setByte(field::SerialMode, 1);
        if (!keep(asRead.oddFlow, m.m_nSynFlow, shown.m_nSynFlow)) {
            if (m.m_nSynFlow == kSynRtsCtsItem) image.setByte(field::FlowControl, kRtsCtsCode);
            else if (m.m_nSynFlow == 0) image.setByte(field::FlowControl, 0);
        }
        if (!keep(asRead.oddSynBaud, m.m_nSynBaud, shown.m_nSynBaud)) {
            if (m.m_nSynBaud == kBaud64kItem) image.setByte(field::SyncBaud, kBaud64kCode);
            else if (within(m.m_nSynBaud, 0, kBaud64kItem - 1)) image.setByte(field::SyncBaud, u8(m.m_nSynBaud));
        }
        if (!keep(asRead.oddProtocol, m.m_nSynProtoItem, shown.m_nSynProtoItem) &&
            within(m.m_nSynProtoItem, 0, kSynProtoItems - 1))
            image.setByte(field::Protocol, u8(m.m_nSynProtoItem));
    } else if (m.m_nSerialMode == kAsync) {
        image.setByte(field::SerialMode, 0);
        if (!keep(asRead.oddFlow, m.m_nASynFlow, shown.m_nASynFlow) &&
            within(m.m_nASynFlow, 0, kAsynFlowItems - 1))
            image.setByte(field::FlowControl, u8(m.m_nASynFlow));
        if (!keep(asRead.oddProtocol, m.m_nASynProtoItem, shown.m_nASynProtoItem) &&
            within(m.m_nASynProtoItem, 0, kAsynProtoItems - 1))
            image.setByte(field::Protocol, u8(m.m_nASynProtoItem + 1));
    }
}

} // namespace

DataPortFill fillDataPort(const ProfileRecord& image, DataPortMembers& m) {
    DataPortFill out;
    const int upper = image.byte(field::UpperThreshold);
    m.m_bUpperOn = upper != kThresholdDisabled;
    if (m.m_bUpperOn) m.m_nUpper = upper / 2;
    m.m_nLower = image.byte(field::LowerThreshold) / 2;
    const int release = image.byte(field::ReleaseTime);
    m.m_bReleaseOn = release != 0;
    if (m.m_bReleaseOn) m.m_nReleaseTime = release * 10;
    m.m_nFareUnit = image.byte(field::FareUnit) * 10;
    out.checkDtr = image.byte(field::CheckDtr) == 1;
    const int answer = image.byte(field::AnswerMode);
    out.oddAnswerMode = answer > 1;
    m.m_nAnswerMode = answer == 1 ? kAnswerAuto : kAnswerManual;
    const int serial = image.byte(field::SerialMode);
    if (serial == 1) fillSynchronous(image, m, out);
    else if (serial == 0) fillAsynchronous(image, m, out);
    out.serialModeKnown = serial == 0 || serial == 1;
    out.oddSerialMode = !out.serialModeKnown;
    if (out.checkDtr && image.byte(field::DialMode) == kAutoDialCode) {
        m.m_nDialMode = kDialAuto;
        m.m_strNumber = image.text(field::AutoDialNumber, 32);
    } else {
        m.m_nDialMode = kDialManual;
    }
    out.shown = m;
    return out;
}

void packDataPort(const DataPortMembers& m, bool checkDtr, ProfileRecord& image,
                  const DataPortFill& asRead) {
    const bool keepAnswer = kept(asRead.oddAnswerMode, m.m_nAnswerMode, asRead.shown.m_nAnswerMode);
    if (!keepAnswer && (m.m_nAnswerMode == kAnswerAuto || m.m_nAnswerMode == kAnswerManual))
        image.setByte(field::AnswerMode, m.m_nAnswerMode == kAnswerAuto ? 1 : 0);
    packBandwidth(m, image);
    image.setByte(field::CheckDtr, checkDtr ? 1 : 0);
    packDialMode(m, image);
    packSerialMode(m, image, asRead);
}

void applyDataPortDefault(DataPortMembers& m) {
    m.m_nSynBaud = kBaud64kItem;
    m.m_nSynFlow = 0;
    m.m_nASynFlow = 2;
    m.m_nSynProtoItem = kAllTransparent;
    m.m_nASynProtoItem = 2; // PPP
    m.m_nCallControl = 0;
    m.m_nDialMode = kDialManual;
    m.m_strNumber.clear();
    m.m_nSerialMode = kAsync;
    m.m_nAnswerMode = kAnswerManual;
    m.m_nUpper = 56;
    m.m_nLower = 32;
    m.m_nReleaseTime = 120;
    m.m_bReleaseOn = 1;
    m.m_bUpperOn = 1;
    m.m_nFareUnit = 180;
}

int synV120Indicator(int synProtoItem) {
    return synProtoItem == kSynV120Item ? kV120Indicator : kOtherIndicator;
}

int asynV120Indicator(int asynProtoItem) {
    return asynProtoItem == kAsynV120Item ? kV120Indicator : kOtherIndicator;
}

bool dialNumberAcceptable(const std::string& number) {
    for (char c : number) {
        if (c == '*') return true;
        if (c < '0' || c > '9') return false;
    }
    return true;
}

} // namespace omniset
