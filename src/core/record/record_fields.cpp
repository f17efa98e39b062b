#include "core/record/record_fields.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace omniset {

namespace {

using C = FieldCoding;
using G = FieldGroup;

constexpr std::array kAnswer{
    FieldChoice{1, "auto", "automatic answer", "自动应答"},
    FieldChoice{-1, "manual", "manual answer", "手动应答"},
};
constexpr std::array kAsyncBaud{
    FieldChoice{0, "600", "600 bit/s", "600 bit/s"},
    FieldChoice{1, "1200", "1200 bit/s", "1200 bit/s"},
    FieldChoice{2, "2400", "2400 bit/s", "2400 bit/s"},
    FieldChoice{3, "4800", "4800 bit/s", "4800 bit/s"},
    FieldChoice{4, "9600", "9600 bit/s", "9600 bit/s"},
    FieldChoice{5, "19200", "19200 bit/s", "19200 bit/s"},
    FieldChoice{6, "38400", "38400 bit/s", "38400 bit/s"},
    FieldChoice{7, "57600", "57600 bit/s", "57600 bit/s"},
    FieldChoice{8, "115200", "115200 bit/s", "115200 bit/s"},
};
constexpr std::array kDataBits{
    FieldChoice{0, "7", "7 bits", "7位"},
    FieldChoice{1, "8", "8 bits", "8位"},
};
constexpr std::array kParity{
    FieldChoice{0, "odd", "odd", "奇"},
    FieldChoice{1, "even", "even", "偶"},
    FieldChoice{2, "none", "none", "无"},
};
constexpr std::array kStopBits{
    FieldChoice{0, "1", "1 bit", "1位"},
    FieldChoice{1, "2", "2 bits", "2位"},
};
constexpr std::array kSyncBaud{
    FieldChoice{0, "600", "600 bit/s", "600 bit/s"},
    FieldChoice{1, "1200", "1200 bit/s", "1200 bit/s"},
    FieldChoice{2, "2400", "2400 bit/s", "2400 bit/s"},
    FieldChoice{3, "4800", "4800 bit/s", "4800 bit/s"},
    FieldChoice{4, "9600", "9600 bit/s", "9600 bit/s"},
    FieldChoice{5, "19200", "19.2K bit/s", "19.2K bit/s"},
    FieldChoice{6, "38400", "38.4K bit/s", "38.4K bit/s"},
    FieldChoice{9, "64000", "64K bit/s", "64K bit/s"},
};
constexpr std::array kSerialMode{
    FieldChoice{0, "async", "asynchronous", "异步"},
    FieldChoice{1, "sync", "synchronous", "同步"},
};
constexpr std::array kFlow{
    FieldChoice{0, "none", "none", "无"},
    FieldChoice{1, "xon_xoff", "XON/XOFF", "XON/XOFF"},
    FieldChoice{2, "rts_cts", "RTS/CTS", "RTS/CTS"},
};
constexpr std::array kProtocol{
    FieldChoice{0, "transparent", "all transparent", "全透明"},
    FieldChoice{1, "char_transparent", "character transparent", "字符透明"},
    FieldChoice{2, "v120", "V.120", "V.120"},
    FieldChoice{3, "ppp", "PPP", "PPP"},
    FieldChoice{4, "multilink_ppp", "Multilink PPP", "Multilink PPP"},
};
constexpr std::array kDialMode{
    FieldChoice{0, "manual", "manual", "手动"},
    FieldChoice{3, "auto", "automatic", "自动"},
};
constexpr std::array kService{
    FieldChoice{0, "ui_frame", "UI-frame mode", "UI帧模式"},
    FieldChoice{1, "multiframe", "multiframe mode", "多帧模式"},
};
constexpr std::array kBearer{
    FieldChoice{0, "speech", "speech", "语音"},
    FieldChoice{1, "audio_3.1khz", "3.1 kHz audio", "3.1kHz音频"},
};
constexpr std::array kCodingLaw{
    FieldChoice{0, "a_law", "A-law", "A律"},
    FieldChoice{1, "mu_law", "μ-law", "μ律"},
};

RecordField choice(std::string_view name, G g, int offset, std::span<const FieldChoice> list,
                   bool numeric = false) {
    RecordField f{name, g, offset, 1, -1, C::Choice};
    f.choices = list;
    f.numericWords = numeric;
    return f;
}
RecordField flag(std::string_view name, G g, int offset, int bit = -1, int on = 1) {
    RecordField f{name, g, offset, 1, bit, C::Flag};
    f.onValue = on;
    return f;
}
RecordField scaled(std::string_view name, G g, int offset, C coding, int disabled,
                   std::string_view unitEn, std::string_view unitZh) {
    RecordField f{name, g, offset, 1, -1, coding};
    f.disabledCode = disabled;
    f.unitEn = unitEn;
    f.unitZh = unitZh;
    return f;
}
// A text's span and longest text come from the record layout's own table.
RecordField text(std::string_view name, G g, int offset) {
    const FieldInfo* layout = findField(offset);
    RecordField f{name, g, offset, layout->width, -1, C::Text};
    f.maxChars = layout->maxChars;
    return f;
}

// Grouped as the windows group them: the data port page, its advanced dialog, the
// telephone port page, its advanced dialog.
const std::vector<RecordField>& table() {
    static const std::vector<RecordField> fields{
        choice("data.serial_mode", G::DataPort, field::SerialMode, kSerialMode),
        choice("data.protocol", G::DataPort, field::Protocol, kProtocol),
        choice("data.sync.baud", G::DataPort, field::SyncBaud, kSyncBaud, true),
        choice("data.flow_control", G::DataPort, field::FlowControl, kFlow),
        choice("data.dial_mode", G::DataPort, field::DialMode, kDialMode),
        text("data.dial_number", G::DataPort, field::AutoDialNumber),
        choice("data.answer_mode", G::DataPort, field::AnswerMode, kAnswer),
        flag("data.check_dtr", G::DataPort, field::CheckDtr),
        scaled("data.bod.upper_threshold", G::DataPort, field::UpperThreshold, C::HalfKbit, 255,
               "kbit/s", "Kbps"),
        scaled("data.bod.lower_threshold", G::DataPort, field::LowerThreshold, C::HalfKbit, -1,
               "kbit/s", "Kbps"),
        scaled("data.bod.release_time", G::DataPort, field::ReleaseTime, C::Tens, 0, "s", "秒"),
        scaled("data.bod.fare_unit", G::DataPort, field::FareUnit, C::Tens, -1, "s", "秒"),
        choice("data.async.baud", G::DataAdvanced, field::AsyncBaud, kAsyncBaud, true),
        choice("data.async.data_bits", G::DataAdvanced, field::AsyncDataBits, kDataBits, true),
        choice("data.async.parity", G::DataAdvanced, field::AsyncParity, kParity),
        choice("data.async.stop_bits", G::DataAdvanced, field::AsyncStopBits, kStopBits, true),
        flag("data.async.autobaud_forbidden", G::DataAdvanced, field::AutobaudBits, 0),
        choice("data.v120.service", G::DataAdvanced, field::V120Service, kService),
        flag("data.v120.lli_negotiation", G::DataAdvanced, field::V120LliNegotiation),
        RecordField{"data.v120.window_k", G::DataAdvanced, field::V120Window, 1, -1, C::Window},
        flag("data.v24.dsr", G::DataAdvanced, field::DsrHandling, -1, 0),
        flag("data.v24.dcd", G::DataAdvanced, field::DcdHandling, -1, 0),
        flag("data.ring_once", G::DataAdvanced, field::RingKeypadBits, 0),
        text("data.msn", G::DataAdvanced, field::DataMsn),
        text("data.subaddress", G::DataAdvanced, field::DataSubaddress),
        text("data.uus", G::DataAdvanced, field::DataUus),
        flag("data.clir", G::DataAdvanced, field::DataClir),
        flag("data.colr", G::DataAdvanced, field::DataColr),
        text("tel1.msn", G::TelPort, field::Tel1Msn),
        text("tel1.subaddress", G::TelPort, field::Tel1Subaddress),
        text("tel1.uus", G::TelPort, field::Tel1Uus),
        flag("tel1.clir", G::TelPort, field::Tel1Clir),
        flag("tel1.colr", G::TelPort, field::Tel1Colr),
        text("tel2.msn", G::TelPort, field::Tel2Msn),
        text("tel2.subaddress", G::TelPort, field::Tel2Subaddress),
        text("tel2.uus", G::TelPort, field::Tel2Uus),
        flag("tel2.clir", G::TelPort, field::Tel2Clir),
        flag("tel2.colr", G::TelPort, field::Tel2Colr),
        flag("tel.keypad_called_number", G::TelAdvanced, field::RingKeypadBits, 1),
        text("tel.national_prefix", G::TelAdvanced, field::NationalPrefix),
        text("tel.international_prefix", G::TelAdvanced, field::InternationalPrefix),
        choice("tel1.bearer", G::TelAdvanced, field::Tel1Bearer, kBearer),
        choice("tel2.bearer", G::TelAdvanced, field::Tel2Bearer, kBearer),
        choice("tel.coding_law", G::TelAdvanced, field::CodingLaw, kCodingLaw),
    };
    return fields;
}

constexpr int kDefaultWindow = 7, kMinWindow = 1, kMaxWindow = 127;

std::string hexOf(const ProfileRecord& r, int offset, int width) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int i = offset; i < offset + width; ++i) {
        out.push_back(digits[r.byte(i) >> 4]);
        out.push_back(digits[r.byte(i) & 0x0F]);
    }
    return out;
}

// "56.5" for 113 half units, "56" for 112.
std::string halves(int value) {
    return std::to_string(value / 2) + (value % 2 ? ".5" : "");
}

// What the adapter keeps in a text, safe for a terminal: other bytes as \xNN.
std::string printable(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
        }
    }
    return out;
}

const FieldChoice* chosen(const RecordField& f, int code) {
    for (const FieldChoice& c : f.choices)
        if (c.code == code || c.code < 0) return &c;
    return nullptr;
}

} // namespace

std::string jsonString(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04X", c); // the byte as a Latin-1 letter
            out += esc;
        }
    }
    return out + "\"";
}

std::span<const RecordField> recordFields() {
    return table();
}

const RecordField* findRecordField(std::string_view name) {
    for (const RecordField& f : table())
        if (f.name == name) return &f;
    return nullptr;
}

std::string fieldGroupTitle(FieldGroup group, bool english) {
    switch (group) {
    case G::DataPort:
        return english ? "Data port" : "数据端口设置";
    case G::DataAdvanced:
        return english ? "Data port advanced" : "数据端口高级设置";
    case G::TelPort:
        return english ? "Telephone port" : "电话端口设置";
    case G::TelAdvanced:
        return english ? "Telephone port advanced" : "电话端口高级设置";
    }
    return {};
}

std::string_view fieldGroupKey(FieldGroup group) {
    switch (group) {
    case G::DataPort:
        return "data_port";
    case G::DataAdvanced:
        return "data_port_advanced";
    case G::TelPort:
        return "telephone_port";
    case G::TelAdvanced:
        return "telephone_port_advanced";
    }
    return {};
}

std::optional<DecodedField> decodeField(const RecordField& f, const ProfileRecord& record,
                                        bool english) {
    if (f.offset >= record.length()) return std::nullopt; // wholly past the record's end
    DecodedField d;
    d.field = &f;
    const int byte = record.byte(f.offset);
    d.raw = std::to_string(byte);
    const std::string unit(english ? f.unitEn : f.unitZh);
    const std::string disabled = english ? std::string(kDisabledWord) : "禁止";
    switch (f.coding) {
    case C::Choice:
        if (const FieldChoice* c = chosen(f, byte)) {
            d.value = f.numericWords ? std::string(c->word) : jsonString(c->word);
            d.words = english ? c->en : c->zh;
        } else {
            d.value = "null";
            d.words = (english ? "unknown code " : "未知代码 ") + std::to_string(byte);
        }
        break;
    case C::Flag: {
        const int v = f.bit >= 0 ? (byte >> f.bit) & 1 : byte;
        const bool on = v == f.onValue;
        d.value = on ? "true" : "false";
        d.words = on ? (english ? "yes" : "是") : (english ? "no" : "否");
        break;
    }
    case C::Tens:
    case C::HalfKbit:
        if (byte == f.disabledCode) {
            d.value = jsonString(kDisabledWord);
            d.words = disabled;
        } else {
            d.value = f.coding == C::Tens ? std::to_string(byte * 10) : halves(byte);
            d.words = d.value + " " + unit;
        }
        break;
    case C::Window: {
        const int k = byte >= kMinWindow && byte <= kMaxWindow ? byte : kDefaultWindow;
        d.value = std::to_string(k);
        d.words = d.value;
        break;
    }
    case C::Text: {
        // A span cut by the record's end keeps room for its terminating zero in it.
        const int width = std::min(f.width, record.length() - f.offset);
        const int chars = width < f.width ? width - 1 : f.maxChars;
        std::string t = record.text(f.offset, width);
        if (static_cast<int>(t.size()) > chars) t.resize(static_cast<std::size_t>(chars));
        d.value = jsonString(t);
        d.raw = "\"" + hexOf(record, f.offset, width) + "\"";
        d.words = t.empty() ? (english ? "(empty)" : "(空)") : printable(t);
        break;
    }
    }
    return d;
}

std::vector<DecodedField> decodeRecord(const ProfileRecord& record, bool english) {
    std::vector<DecodedField> out;
    for (const RecordField& f : table())
        if (auto d = decodeField(f, record, english)) out.push_back(std::move(*d));
    return out;
}

} // namespace omniset
