// The telephone port advanced dialog's byte rules.
#include "core/record/teladv_rules.h"

#include <algorithm>

namespace omniset {

using namespace teladv;

namespace {

constexpr int kPrefixSpan = 6;    // text and terminating zero
constexpr int kKeypadBit = 1;     // of byte 98; bit 0 is the data port's RING mode

bool spanInside(int offset, int width, int length) { return offset + width <= length; }

int radioOf(const ProfileRecord& image, int offset) {
    const int code = image.byte(offset);
    return code <= 1 ? code : -1;
}

void putRadio(ProfileRecord& image, int offset, bool reach, int index) {
    if (reach && (index == 0 || index == 1)) image.setByte(offset, static_cast<std::uint8_t>(index));
}

std::string cut(std::string text, int chars) {
    text.resize(std::min(text.size(), static_cast<std::size_t>(std::max(chars, 0))));
    return text;
}

} // namespace

TelAdvReach telAdvReach(int length) {
    TelAdvReach r;
    // The national prefix keeps room for its terminating zero inside the record.
    r.nationalChars = std::clamp(length - field::NationalPrefix - 1, 0, kPrefixChars);
    r.international = spanInside(field::InternationalPrefix, kPrefixSpan, length);
    r.bearer1 = spanInside(field::Tel1Bearer, 1, length);
    r.bearer2 = spanInside(field::Tel2Bearer, 1, length);
    r.codingLaw = spanInside(field::CodingLaw, 1, length);
    return r;
}

void fillTelAdv(const ProfileRecord& image, TelAdvMembers& m) {
    const TelAdvReach reach = telAdvReach(image.length());
    m.m_nBearer1 = reach.bearer1 ? radioOf(image, field::Tel1Bearer) : -1;
    m.m_nBearer2 = reach.bearer2 ? radioOf(image, field::Tel2Bearer) : -1;
    m.m_nCodingLaw = reach.codingLaw ? radioOf(image, field::CodingLaw) : -1;
    m.m_nKeypad = image.bit(field::RingKeypadBits, kKeypadBit) ? kCalledNumberMode : kKeypadMode;
    m.m_strNational = cut(image.text(field::NationalPrefix, kPrefixSpan), reach.nationalChars);
    m.m_strInternational =
        reach.international ? cut(image.text(field::InternationalPrefix, kPrefixSpan), kPrefixChars) : "";
}

void packTelAdv(const TelAdvMembers& m, ProfileRecord& image) {
    const TelAdvReach reach = telAdvReach(image.length());
    putRadio(image, field::Tel1Bearer, reach.bearer1, m.m_nBearer1);
    putRadio(image, field::Tel2Bearer, reach.bearer2, m.m_nBearer2);
    putRadio(image, field::CodingLaw, reach.codingLaw, m.m_nCodingLaw);
    if (m.m_nKeypad == kKeypadMode || m.m_nKeypad == kCalledNumberMode)
        image.setBit(field::RingKeypadBits, kKeypadBit, m.m_nKeypad == kCalledNumberMode);
    // The text, then zeros up to and including the span's (or the record's) last byte.
    if (reach.nationalChars > 0)
        image.setText(field::NationalPrefix, reach.nationalChars + 1, m.m_strNational);
    if (reach.international) image.setText(field::InternationalPrefix, kPrefixSpan, m.m_strInternational);
}

bool prefixAcceptable(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace omniset
