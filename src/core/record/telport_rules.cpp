// The telephone port page's byte rules.
#include "core/record/telport_rules.h"

#include <algorithm>

namespace omniset {

using namespace telport;

namespace {

constexpr int kMsnSpan = 16;
constexpr int kTextSpan = 17;

// A text field as the fill sees it: ticked and holding its text, or clear and empty.
void fillText(const ProfileRecord& image, int offset, int span, int& ticked, std::string& text) {
    text = image.text(offset, span);
    ticked = text.empty() ? 0 : 1;
}

// The text in the first `count` bytes of a field, zeros after it up to the count; the
// field's last byte is not written.
void writePadded(ProfileRecord& image, int offset, int count, const std::string& text) {
    const int n = std::min(static_cast<int>(text.size()), count);
    for (int i = 0; i < count; ++i)
        image.setByte(offset + i, i < n ? static_cast<std::uint8_t>(text[i]) : 0);
}

void packText(ProfileRecord& image, int offset, int span, bool write, const std::string& text) {
    if (write) writePadded(image, offset, span - 1, text);
    else image.clearSpan(offset, span);
}

// Radio index 1 - byte for the bytes 0 and 1; -1 (neither button) for any other byte.
int serviceIndex(std::uint8_t code) { return code <= 1 ? 1 - code : -1; }

// A group without a checked button leaves its byte as read.
void putService(ProfileRecord& image, int offset, int index) {
    if (index == kRestriction || index == kPresentation)
        image.setByte(offset, static_cast<std::uint8_t>(1 - index));
}

} // namespace

void fillTelPort(const ProfileRecord& image, TelPortMembers& m) {
    fillText(image, field::Tel1Uus, kTextSpan, m.m_bUus1, m.m_strUus1);
    fillText(image, field::Tel2Uus, kTextSpan, m.m_bUus2, m.m_strUus2);
    fillText(image, field::Tel1Msn, kMsnSpan, m.m_bMsn1, m.m_strMsn1);
    fillText(image, field::Tel1Subaddress, kTextSpan, m.m_bSubaddr1, m.m_strSubaddr1);
    fillText(image, field::Tel2Msn, kMsnSpan, m.m_bMsn2, m.m_strMsn2);
    fillText(image, field::Tel2Subaddress, kTextSpan, m.m_bSubaddr2, m.m_strSubaddr2);
    // A byte of 1 selects Restriction (index 0), 0 selects Presentation (index 1); any
    // other byte selects neither, and stays as read until the user picks a button.
    m.m_nClir1 = serviceIndex(image.byte(field::Tel1Clir));
    m.m_nColr1 = serviceIndex(image.byte(field::Tel1Colr));
    m.m_nClir2 = serviceIndex(image.byte(field::Tel2Clir));
    m.m_nColr2 = serviceIndex(image.byte(field::Tel2Colr));
}

void packTelServices(const TelPortMembers& m, ProfileRecord& image) {
    putService(image, field::Tel1Clir, m.m_nClir1);
    putService(image, field::Tel1Colr, m.m_nColr1);
    putService(image, field::Tel2Clir, m.m_nClir2);
    putService(image, field::Tel2Colr, m.m_nColr2);
}

void packTelTexts(const TelPortMembers& m, ProfileRecord& image) {
    packText(image, field::Tel1Uus, kTextSpan, m.m_bUus1 == 1, m.m_strUus1);
    packText(image, field::Tel2Uus, kTextSpan, m.m_bUus2 == 1, m.m_strUus2);
    packText(image, field::Tel1Msn, kMsnSpan, m.m_bMsn1 == 1, m.m_strMsn1);
    packText(image, field::Tel2Msn, kMsnSpan, m.m_bMsn2 == 1, m.m_strMsn2);
    packText(image, field::Tel1Subaddress, kTextSpan,
             m.m_bSubaddr1 == 1 && !m.m_strSubaddr1.empty(), m.m_strSubaddr1);
    packText(image, field::Tel2Subaddress, kTextSpan,
             m.m_bSubaddr2 == 1 && !m.m_strSubaddr2.empty(), m.m_strSubaddr2);
}

void applyTel1Default(TelPortMembers& m) {
    m.m_nClir1 = kPresentation;
    m.m_nColr1 = kPresentation;
    m.m_strMsn1.clear();
    m.m_strSubaddr1 = "1";
    m.m_bSubaddr1 = 1;
    m.m_bMsn1 = 0;
    m.m_bUus1 = 0;
    m.m_strUus1.clear();
}

void applyTel2Default(TelPortMembers& m) {
    m.m_nClir2 = kPresentation;
    m.m_nColr2 = kPresentation;
    m.m_strMsn2.clear();
    m.m_strSubaddr2 = "2";
    m.m_bSubaddr2 = 1;
    m.m_bMsn2 = 0;
    m.m_bUus2 = 0;
    m.m_strUus2.clear();
}

bool msnAcceptable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace omniset
