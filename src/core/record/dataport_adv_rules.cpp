// The data port advanced dialog's byte rules.
#include "core/record/dataport_adv_rules.h"

#include "core/record/adapter_commands.h"

namespace omniset {

using namespace dataadv;

namespace {

constexpr int kMsnSpan = 16;
constexpr int kTextSpan = 17;
constexpr int kBaudItems = 9, kDataBitItems = 2, kParityItems = 3, kStopBitItems = 2;
constexpr int kServiceItems = 2, kRingItems = 2;

// The item a byte selects; -1 (no selection) for a byte outside the list.
int item(std::uint8_t code, int count) { return code < count ? code : -1; }

// Radio index 1 - byte for the bytes 0 and 1; -1 for any other byte.
int invertedIndex(std::uint8_t code) { return code <= 1 ? 1 - code : -1; }

bool chosen(int index, int count) { return index >= 0 && index < count; }

void putItem(ProfileRecord& image, int offset, int index, int count) {
    if (chosen(index, count)) image.setByte(offset, static_cast<std::uint8_t>(index));
}

void putInverted(ProfileRecord& image, int offset, int index) {
    if (chosen(index, 2)) image.setByte(offset, static_cast<std::uint8_t>(1 - index));
}

void fillText(const ProfileRecord& image, int offset, int span, int& on, std::string& text) {
    text = image.text(offset, span);
    on = text.empty() ? 0 : 1;
}

// A byte read outside its codes whose control still shows what the fill put there.
bool kept(bool odd, int now, int shown) { return odd && now == shown; }

} // namespace

DataAdvFill fillDataAdv(const ProfileRecord& image, DataAdvMembers& m) {
    DataAdvFill out;
    m.m_nService = item(image.byte(field::V120Service), kServiceItems);
    const std::uint8_t lli = image.byte(field::V120LliNegotiation);
    m.m_nNegotiate = lli == 1 ? kNegotiate : lli == 0 ? kNoNegotiation : -1;
    const int k = image.byte(field::V120Window);
    out.oddK = k < kMinK || k > kMaxK;
    m.m_nK = out.oddK ? kDefaultK : k;
    out.oddDsr = image.byte(field::DsrHandling) > 1;
    m.m_bDsr = image.byte(field::DsrHandling) == 0 ? 1 : 0;
    out.oddDcd = image.byte(field::DcdHandling) > 1;
    m.m_bDcd = image.byte(field::DcdHandling) == 0 ? 1 : 0;
    m.m_bAutobaud = image.bit(field::AutobaudBits, 0) ? 1 : 0;
    m.m_nBaud = item(image.byte(field::AsyncBaud), kBaudItems);
    m.m_nDataBits = item(image.byte(field::AsyncDataBits), kDataBitItems);
    m.m_nParity = item(image.byte(field::AsyncParity), kParityItems);
    m.m_nStopBits = item(image.byte(field::AsyncStopBits), kStopBitItems);
    m.m_nRing = image.bit(field::RingKeypadBits, 0) ? 1 : 0;
    fillText(image, field::DataMsn, kMsnSpan, m.m_bMsn, m.m_strMsn);
    fillText(image, field::DataSubaddress, kTextSpan, m.m_bSubaddr, m.m_strSubaddr);
    fillText(image, field::DataUus, kTextSpan, m.m_bUus, m.m_strUus);
    m.m_nClir = invertedIndex(image.byte(field::DataClir));
    m.m_nColr = invertedIndex(image.byte(field::DataColr));
    out.shown = m;
    return out;
}

void packDataAdv(const DataAdvMembers& m, ProfileRecord& image, const DataAdvFill& asRead) {
    const DataAdvMembers& shown = asRead.shown;
    putItem(image, field::V120Service, m.m_nService, kServiceItems);
    putInverted(image, field::V120LliNegotiation, m.m_nNegotiate);
    putInverted(image, field::DataClir, m.m_nClir);
    putInverted(image, field::DataColr, m.m_nColr);
    if (!kept(asRead.oddDsr, m.m_bDsr, shown.m_bDsr)) image.setByte(field::DsrHandling, m.m_bDsr ? 0 : 1);
    if (!kept(asRead.oddDcd, m.m_bDcd, shown.m_bDcd)) image.setByte(field::DcdHandling, m.m_bDcd ? 0 : 1);
    putItem(image, field::AsyncBaud, m.m_nBaud, kBaudItems);
    if (chosen(m.m_nRing, kRingItems)) image.setBit(field::RingKeypadBits, 0, m.m_nRing == 1);
    putItem(image, field::AsyncDataBits, m.m_nDataBits, kDataBitItems);
    putItem(image, field::AsyncParity, m.m_nParity, kParityItems);
    putItem(image, field::AsyncStopBits, m.m_nStopBits, kStopBitItems);
    // Text fields: the text and zeros to the end of the span, or all zeros when off.
    if (m.m_bMsn) image.setText(field::DataMsn, kMsnSpan, m.m_strMsn);
    else image.clearSpan(field::DataMsn, kMsnSpan);
    if (m.m_bSubaddr && !m.m_strSubaddr.empty()) image.setText(field::DataSubaddress, kTextSpan, m.m_strSubaddr);
    else image.clearSpan(field::DataSubaddress, kTextSpan);
    if (m.m_bUus) image.setText(field::DataUus, kTextSpan, m.m_strUus);
    else image.clearSpan(field::DataUus, kTextSpan);
    if (!kept(asRead.oddK, m.m_nK, shown.m_nK) && m.m_nK >= kMinK && m.m_nK <= kMaxK)
        image.setByte(field::V120Window, static_cast<std::uint8_t>(m.m_nK));
    image.setBit(field::AutobaudBits, 0, m.m_bAutobaud == 1);
}

bool asyncLineEnabled(int serialMode) { return serialMode == dataport::kAsync; }

bool v120Enabled(int serialMode, int synProto, int asynProto) {
    const int indicator = asyncLineEnabled(serialMode) ? asynProto : synProto;
    return indicator == dataport::kV120Indicator;
}

bool allDigits(std::string_view text) { return quickDialDigits(text).size() == text.size(); }

} // namespace omniset
