#include "factory_record.h"

#include "core/record/profile_layout.h"

#include <string_view>

namespace kx220sim {

namespace {

namespace f = omniset::field;
using omniset::FieldKind;

// Fixed seed: the unknown bytes are "random" but identical in every run.
constexpr std::uint32_t kFillSeed = 0x4B583232u;

std::uint8_t nextFill(std::uint32_t& state) {
    state = state * 1664525u + 1013904223u; // Numerical Recipes LCG
    return static_cast<std::uint8_t>(state >> 24);
}

// Bytes not covered by a known field (and unknown bits of shared bytes) get noise;
// text fields start zero-filled.
void fillUnknown(std::vector<std::uint8_t>& r) {
    std::vector<bool> known(r.size(), false);
    std::vector<std::uint8_t> knownBits(r.size(), 0);
    for (const auto& field : omniset::profileFields()) {
        for (int i = field.offset; i < field.offset + field.width && i < int(r.size()); ++i) {
            known[i] = field.kind != FieldKind::Bits;
            if (field.kind == FieldKind::Bits) knownBits[i] = field.bits;
        }
    }
    std::uint32_t state = kFillSeed;
    for (std::size_t i = 0; i < r.size(); ++i) {
        std::uint8_t noise = nextFill(state);
        if (!known[i]) r[i] = static_cast<std::uint8_t>(noise & ~knownBits[i]);
    }
}

void setText(std::vector<std::uint8_t>& r, int offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size() && offset + i < r.size(); ++i)
        r[offset + i] = static_cast<std::uint8_t>(text[i]);
}

void setByte(std::vector<std::uint8_t>& r, int offset, std::uint8_t value) {
    if (offset < int(r.size())) r[offset] = value;
}

// Asynchronous data port at 115200 8N1 with RTS/CTS, V.120, manual dialling (so no
// automatic-dial number and DTR not checked), both telephones on speech and A-law.
void setKnownFields(std::vector<std::uint8_t>& r) {
    setByte(r, f::AnswerMode, 1);
    setByte(r, f::ReleaseTime, 6);     // 60 s
    setByte(r, f::FareUnit, 18);       // 180 s
    setByte(r, f::LowerThreshold, 96); // 48 kbit/s
    setByte(r, f::UpperThreshold, 112); // 56 kbit/s
    setByte(r, f::V120Window, 7);
    setByte(r, f::AsyncBaud, 8);       // 115200
    setByte(r, f::AsyncDataBits, 1);   // 8
    setByte(r, f::AsyncParity, 2);     // none
    setByte(r, f::AsyncStopBits, 0);   // one
    setByte(r, f::SyncBaud, 9);        // 64K
    setByte(r, f::DcdHandling, 0);
    setByte(r, f::CheckDtr, 0);
    setByte(r, f::DsrHandling, 0);
    setByte(r, f::SerialMode, 0);      // asynchronous
    setByte(r, f::FlowControl, 2);     // RTS/CTS
    setByte(r, f::Protocol, 2);        // V.120
    setByte(r, f::DialMode, 0);        // manual
    setByte(r, f::V120Service, 1);     // multiframe
    setByte(r, f::V120LliNegotiation, 1);
    setText(r, f::DataMsn, "5550100");
    setText(r, f::Tel1Msn, "5550101");
    setText(r, f::Tel2Msn, "5550102");
    setText(r, f::DataUus, "KX220 data");
    setText(r, f::NationalPrefix, "0");
    setText(r, f::InternationalPrefix, "00");
    // CLIR, COLR, subaddresses, bearer capability and coding law stay 0.
}

} // namespace

std::vector<std::uint8_t> factoryRecord(int length) {
    std::vector<std::uint8_t> r(omniset::kLongProfileLength, 0);
    fillUnknown(r);
    setKnownFields(r);
    r.resize(static_cast<std::size_t>(length > 0 ? length : 0), 0);
    return r;
}

} // namespace kx220sim
