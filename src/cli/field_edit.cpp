// Changes to named fields through the pages' own fill and pack rules.
#include "cli/field_edit.h"

#include "core/app/language.h"
#include "core/record/dataport_adv_rules.h"
#include "core/record/dataport_rules.h"
#include "core/record/record_fields.h"
#include "core/record/teladv_rules.h"
#include "core/record/telport_rules.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <set>

namespace omniset::cli {

namespace {

// Texts the pages show for the same mistakes.
constexpr const char* kNumberNotDigits = "自动拨号号码部分应为数字！";
// The page's box says it in Chinese whatever the language; in English a note follows.
constexpr const char* kNumberNotDigitsEn =
    "自动拨号号码部分应为数字！ (the number to dial must be digits)";
constexpr const char* kMsnNotDigitsZh = "多用户号号码应为数字！";
constexpr const char* kMsnNotDigitsEn = "MSN should be numerical！";
constexpr const char* kPrefixNotDigitsZh = "长途电话的字冠应为数字,请检查您所输入的字符！";
constexpr const char* kPrefixNotDigitsEn =
    "The Long distance call prefix should be digital！\nPlease check the chracters just input！";

constexpr int kSecondsStep = 10;

// The values of all four windows, filled from the record as the windows fill them.
struct Windows {
    DataPortMembers port;
    DataPortFill portFill;
    bool checkDtr = false;
    DataAdvMembers adv;
    DataAdvFill advFill;
    TelPortMembers tel;
    TelAdvMembers telAdv;
    // Protocol and flow control are kept as codes until the serial mode is known.
    std::optional<int> protocolCode;
    std::optional<int> flowCode;
};

using Check = std::optional<QString>; // a refusal, or nothing when the value is taken

QString text(const char* zh, const char* en) { return pickText(zh, en); }

// The dialogs' checks of numbers and lengths, in the toolkit's words (Chinese ones while
// the program speaks Chinese).
QString integerText() { return text("请输入整数。", "Please enter an integer."); }

QString betweenText(int lo, int hi) {
    return text("请输入 %1 到 %2 之间的整数。", "Please enter an integer between %1 and %2.")
        .arg(lo)
        .arg(hi);
}

QString tooLongText(int chars) {
    return text("请输入不超过 %1 个字符。", "Please enter no more than %1 characters.").arg(chars);
}

std::optional<int> integer(const std::string& v) {
    int n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size() || v.empty()) return std::nullopt;
    return n;
}

std::optional<bool> boolean(const std::string& v) {
    if (v == "true") return true;
    if (v == "false") return false;
    return std::nullopt;
}

// The code of a listed word ("even", "9600"); -1 for the word of every other code
// (the answer mode's "manual").
std::optional<int> choiceCode(const RecordField& f, const std::string& v) {
    for (const FieldChoice& c : f.choices)
        if (c.word == v) return c.code;
    return std::nullopt;
}

Check notOneOf(const ValueRule& r) {
    QStringList words;
    for (const std::string& w : r.words)
        words << QString::fromStdString(w);
    return text("应为: ", "one of: ") + words.join(QStringLiteral(", "));
}

Check notBoolean() { return text("应为 true 或 false", "true or false"); }

// A value that passed its field's rule, as the windows take it.
struct Taken {
    int code = 0;              // Choice: the word's code
    bool on = false;           // Bool
    std::optional<int> number; // Number: nothing for its word ("disabled")
    std::string text;          // Text
};

// What a text field takes, and what the page says of a character it does not take.
struct TextRule {
    TextCharacters characters = TextCharacters::Any;
    int (*longest)(int recordLength) = nullptr;
    const char* badZh = nullptr;
    const char* badEn = nullptr;
};

template <int N>
int fixedLength(int) {
    return N;
}

int nationalLength(int recordLength) { return telAdvReach(recordLength).nationalChars; }

constexpr TextRule anyText(int (*longest)(int)) { return {TextCharacters::Any, longest}; }
constexpr TextRule msnText(int (*longest)(int)) {
    return {TextCharacters::Digits, longest, kMsnNotDigitsZh, kMsnNotDigitsEn};
}
constexpr TextRule prefixText(int (*longest)(int)) {
    return {TextCharacters::Digits, longest, kPrefixNotDigitsZh, kPrefixNotDigitsEn};
}

// Each field's way onto the windows; the checks before it come from valueRule.
struct Editor {
    std::function<void(Windows&, const Taken&)> store;
    TextRule text = {}; // Text fields
};

Editor onChoice(std::function<void(Windows&, int)> set) {
    return {[set](Windows& w, const Taken& t) { set(w, t.code); }};
}

Editor onFlag(std::function<void(Windows&, bool)> set) {
    return {[set](Windows& w, const Taken& t) { set(w, t.on); }};
}

// A text field with its box: a text ticks it, an empty text clears it.
Editor onBoxedText(TextRule rule, int DataAdvMembers::*box, std::string DataAdvMembers::*value) {
    return {[box, value](Windows& w, const Taken& t) {
                w.adv.*box = t.text.empty() ? 0 : 1;
                w.adv.*value = t.text;
            },
            rule};
}

Editor onBoxedText(TextRule rule, int TelPortMembers::*box, std::string TelPortMembers::*value) {
    return {[box, value](Windows& w, const Taken& t) {
                w.tel.*box = t.text.empty() ? 0 : 1;
                w.tel.*value = t.text;
            },
            rule};
}

// The radio index of a flag whose byte is 1 for "true" and whose first button writes 1.
int invertedIndex(bool on) { return on ? 0 : 1; }

const std::map<std::string_view, Editor>& editors() {
    using namespace dataport;
    using A = DataAdvMembers;
    using T = TelPortMembers;
    static const std::map<std::string_view, Editor> table{
        // Data port page.
        {"data.serial_mode", onChoice([](Windows& w, int code) {
             w.port.m_nSerialMode = code == 1 ? kSync : kAsync;
             w.portFill.oddSerialMode = false;
         })},
        {"data.protocol", onChoice([](Windows& w, int code) { w.protocolCode = code; })},
        {"data.flow_control", onChoice([](Windows& w, int code) { w.flowCode = code; })},
        {"data.sync.baud", onChoice([](Windows& w, int code) {
             w.port.m_nSynBaud = code == kBaud64kCode ? kBaud64kItem : code;
             w.portFill.oddSynBaud = false;
         })},
        {"data.dial_mode", onChoice([](Windows& w, int code) {
             w.port.m_nDialMode = code == kAutoDialCode ? kDialAuto : kDialManual;
             if (w.port.m_nDialMode == kDialManual) w.port.m_strNumber.clear();
             else w.checkDtr = true; // automatic dialling checks DTR
         })},
        {"data.dial_number",
         {[](Windows& w, const Taken& t) { w.port.m_strNumber = t.text; },
          {TextCharacters::DialNumber, fixedLength<kNumberChars>, kNumberNotDigits, kNumberNotDigitsEn}}},
        {"data.answer_mode", onChoice([](Windows& w, int code) {
             w.port.m_nAnswerMode = code == 1 ? kAnswerAuto : kAnswerManual;
             w.portFill.oddAnswerMode = false;
         })},
        {"data.check_dtr", onFlag([](Windows& w, bool on) { w.checkDtr = on; })},
        {"data.bod.upper_threshold", {[](Windows& w, const Taken& t) {
             // A number ticks the box, as typing one does.
             w.port.m_bUpperOn = t.number ? 1 : 0;
             if (t.number) w.port.m_nUpper = *t.number;
         }}},
        {"data.bod.lower_threshold", {[](Windows& w, const Taken& t) { w.port.m_nLower = *t.number; }}},
        {"data.bod.release_time", {[](Windows& w, const Taken& t) {
             w.port.m_bReleaseOn = t.number ? 1 : 0;
             if (t.number) w.port.m_nReleaseTime = *t.number;
         }}},
        {"data.bod.fare_unit", {[](Windows& w, const Taken& t) { w.port.m_nFareUnit = *t.number; }}},
        // Data port advanced dialog.
        {"data.async.baud", onChoice([](Windows& w, int code) { w.adv.m_nBaud = code; })},
        {"data.async.data_bits", onChoice([](Windows& w, int code) { w.adv.m_nDataBits = code; })},
        {"data.async.parity", onChoice([](Windows& w, int code) { w.adv.m_nParity = code; })},
        {"data.async.stop_bits", onChoice([](Windows& w, int code) { w.adv.m_nStopBits = code; })},
        {"data.async.autobaud_forbidden", onFlag([](Windows& w, bool on) { w.adv.m_bAutobaud = on ? 1 : 0; })},
        {"data.v120.service", onChoice([](Windows& w, int code) { w.adv.m_nService = code; })},
        {"data.v120.lli_negotiation", onFlag([](Windows& w, bool on) {
             w.adv.m_nNegotiate = on ? dataadv::kNegotiate : dataadv::kNoNegotiation;
         })},
        {"data.v120.window_k", {[](Windows& w, const Taken& t) {
             w.adv.m_nK = *t.number;
             w.advFill.oddK = false;
         }}},
        {"data.v24.dsr", onFlag([](Windows& w, bool on) {
             w.adv.m_bDsr = on ? 1 : 0;
             w.advFill.oddDsr = false;
         })},
        {"data.v24.dcd", onFlag([](Windows& w, bool on) {
             w.adv.m_bDcd = on ? 1 : 0;
             w.advFill.oddDcd = false;
         })},
        {"data.ring_once", onFlag([](Windows& w, bool on) { w.adv.m_nRing = on ? 1 : 0; })},
        {"data.msn", onBoxedText(msnText(fixedLength<dataadv::kMsnChars>), &A::m_bMsn, &A::m_strMsn)},
        {"data.subaddress",
         onBoxedText(anyText(fixedLength<dataadv::kTextChars>), &A::m_bSubaddr, &A::m_strSubaddr)},
        {"data.uus", onBoxedText(anyText(fixedLength<dataadv::kTextChars>), &A::m_bUus, &A::m_strUus)},
        {"data.clir", onFlag([](Windows& w, bool on) { w.adv.m_nClir = invertedIndex(on); })},
        {"data.colr", onFlag([](Windows& w, bool on) { w.adv.m_nColr = invertedIndex(on); })},
        // Telephone port page.
        {"tel1.msn", onBoxedText(msnText(fixedLength<telport::kMsnChars>), &T::m_bMsn1, &T::m_strMsn1)},
        {"tel2.msn", onBoxedText(msnText(fixedLength<telport::kMsnChars>), &T::m_bMsn2, &T::m_strMsn2)},
        {"tel1.subaddress",
         onBoxedText(anyText(fixedLength<telport::kTextChars>), &T::m_bSubaddr1, &T::m_strSubaddr1)},
        {"tel2.subaddress",
         onBoxedText(anyText(fixedLength<telport::kTextChars>), &T::m_bSubaddr2, &T::m_strSubaddr2)},
        {"tel1.uus", onBoxedText(anyText(fixedLength<telport::kTextChars>), &T::m_bUus1, &T::m_strUus1)},
        {"tel2.uus", onBoxedText(anyText(fixedLength<telport::kTextChars>), &T::m_bUus2, &T::m_strUus2)},
        {"tel1.clir", onFlag([](Windows& w, bool on) { w.tel.m_nClir1 = invertedIndex(on); })},
        {"tel1.colr", onFlag([](Windows& w, bool on) { w.tel.m_nColr1 = invertedIndex(on); })},
        {"tel2.clir", onFlag([](Windows& w, bool on) { w.tel.m_nClir2 = invertedIndex(on); })},
        {"tel2.colr", onFlag([](Windows& w, bool on) { w.tel.m_nColr2 = invertedIndex(on); })},
        // Telephone port advanced dialog.
        {"tel.keypad_called_number", onFlag([](Windows& w, bool on) {
             w.telAdv.m_nKeypad = on ? teladv::kCalledNumberMode : teladv::kKeypadMode;
         })},
        {"tel.national_prefix",
         {[](Windows& w, const Taken& t) { w.telAdv.m_strNational = t.text; }, prefixText(nationalLength)}},
        {"tel.international_prefix",
         {[](Windows& w, const Taken& t) { w.telAdv.m_strInternational = t.text; },
          prefixText(fixedLength<teladv::kPrefixChars>)}},
        {"tel1.bearer", onChoice([](Windows& w, int code) { w.telAdv.m_nBearer1 = code; })},
        {"tel2.bearer", onChoice([](Windows& w, int code) { w.telAdv.m_nBearer2 = code; })},
        {"tel.coding_law", onChoice([](Windows& w, int code) { w.telAdv.m_nCodingLaw = code; })},
    };
    return table;
}

// The value checked against its field's rule; what the windows take of it in *taken.
Check take(const RecordField& f, const ValueRule& r, const std::string& v, Taken& taken) {
    switch (r.type) {
    case ValueType::Choice:
        if (const auto code = choiceCode(f, v)) {
            taken.code = *code;
            return std::nullopt;
        }
        return notOneOf(r);
    case ValueType::Bool:
        if (const auto b = boolean(v)) {
            taken.on = *b;
            return std::nullopt;
        }
        return notBoolean();
    case ValueType::Number: {
        if (std::find(r.words.begin(), r.words.end(), v) != r.words.end()) {
            taken.number.reset();
            return std::nullopt;
        }
        const auto n = integer(v);
        if (!n) return integerText();
        if (*n < r.minimum || *n > r.maximum) return betweenText(r.minimum, r.maximum);
        // Only the times have a step: the adapter keeps tens of seconds.
        if ((*n - r.minimum) % r.step)
            return text("以%1秒为单位", "in steps of %1 seconds (the adapter keeps tens of seconds)")
                .arg(r.step);
        taken.number = *n;
        return std::nullopt;
    }
    case ValueType::Text: {
        if (!charactersFit(r.characters, v)) {
            const TextRule& t = editors().at(f.name).text;
            return t.badZh ? text(t.badZh, t.badEn)
                           : text("含有配置无法保存的字符", "holds a character the record cannot hold");
        }
        if (static_cast<int>(v.size()) > r.maxLength) return tooLongText(r.maxLength);
        taken.text = v;
        return std::nullopt;
    }
    }
    return std::nullopt;
}

ValueRule numberRule(const RecordField& f, int minimum, int maximum, int step) {
    ValueRule r;
    r.type = ValueType::Number;
    r.minimum = minimum;
    r.maximum = maximum;
    r.step = step;
    if (f.disabledCode >= 0) r.words.emplace_back(kDisabledWord);
    return r;
}

bool any(const std::set<std::string>& named, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (named.count(n)) return true;
    return false;
}

// Bytes a change may write besides its own span: those the page ties to it, with the
// values the change leaves on the page.
std::vector<std::pair<int, int>> tiedSpans(const Windows& w, const std::set<std::string>& named) {
    using namespace dataport;
    std::vector<std::pair<int, int>> spans;
    if (named.count("data.serial_mode")) // the new mode's lists are written with it
        spans.insert(spans.end(), {{field::FlowControl, 1}, {field::Protocol, 1}, {field::SyncBaud, 1}});
    if (named.count("data.protocol") && w.port.m_nSerialMode == kSync &&
        w.port.m_nSynProtoItem == kAllTransparent)
        spans.push_back({field::SyncBaud, 1}); // all transparent runs at 64K
    if (any(named, {"data.dial_mode", "data.dial_number"})) {
        spans.push_back({field::DialMode, 1});
        if (w.port.m_nDialMode == kDialAuto) // automatic dialling ticks Check DTR
            spans.insert(spans.end(), {{field::CheckDtr, 1},
                                       {field::AutoDialNumber, findRecordField("data.dial_number")->width}});
    }
    return spans;
}

// The combinations the pages allow: a control that is disabled cannot be changed, and a
// value the page would put back is refused.
Check combinations(Windows& w, const std::set<std::string>& named) {
    auto about = [](const char* name, const QString& why) -> Check {
        return QString::fromLatin1(name) + QStringLiteral(": ") + why;
    };
    using namespace dataport;
    DataPortMembers& p = w.port;
    const bool modeKnown = !w.portFill.oddSerialMode;
    const bool modeDependent = any(named, {"data.protocol", "data.flow_control", "data.sync.baud"});
    if (modeDependent && !modeKnown)
        return about("data.serial_mode",
                     text("串口模式字节不是已知代码，请同时设置 data.serial_mode",
                          "the byte holds no known code: set data.serial_mode as well"));
    const bool sync = p.m_nSerialMode == kSync;
    const QString mode = sync ? text("同步", "synchronous") : text("异步", "asynchronous");
    if (w.protocolCode) {
        const int code = *w.protocolCode;
        if (sync ? code >= kSynProtoItems : code < 1)
            return about("data.protocol", text("该协议在此串口模式下不可选: ", "not offered in ") +
                                              mode + text("", " mode"));
        if (sync) {
            p.m_nSynProtoItem = code;
            // All transparent runs at 64K only: the page sets it (a rate given is checked below).
            if (code == kAllTransparent && !named.count("data.sync.baud")) p.m_nSynBaud = kBaud64kItem;
        } else {
            p.m_nASynProtoItem = code - 1;
        }
        w.portFill.oddProtocol = false;
    }
    if (w.flowCode) {
        const int code = *w.flowCode;
        if (sync && code != 0 && code != kRtsCtsCode)
            return about("data.flow_control", text("该流控在此串口模式下不可选: ", "not offered in ") +
                                                   mode + text("", " mode"));
        if (sync) p.m_nSynFlow = code == kRtsCtsCode ? kSynRtsCtsItem : 0;
        else p.m_nASynFlow = code;
        w.portFill.oddFlow = false;
    }
    if (named.count("data.sync.baud")) {
        if (!sync) return about("data.sync.baud", text("仅用于同步模式", "applies in synchronous mode only"));
        if (p.m_nSynProtoItem == kAllTransparent && p.m_nSynBaud != kBaud64kItem)
            return about("data.sync.baud", text("全透明只能以64K运行", "all transparent runs at 64000 only"));
    }
    if (named.count("data.dial_number") && p.m_nDialMode != kDialAuto)
        return about("data.dial_number", text("仅用于自动拨号 (data.dial_mode=auto)",
                                              "applies with automatic dialling only (data.dial_mode=auto)"));
    if (p.m_nDialMode == kDialAuto && any(named, {"data.dial_mode", "data.dial_number"}) &&
        p.m_strNumber.empty())
        return about("data.dial_mode", text("自动拨号需要号码 (data.dial_number)",
                                            "automatic dialling needs a number (data.dial_number)"));
    if (named.count("data.check_dtr") && p.m_nDialMode == kDialAuto && !w.checkDtr)
        return about("data.check_dtr", text("自动拨号时必须检测DTR", "automatic dialling always checks DTR"));
    if (named.count("data.bod.lower_threshold") && !p.m_bReleaseOn)
        return about("data.bod.lower_threshold", text("仅在 data.bod.release_time 启用时可设",
                                                      "applies only while data.bod.release_time is enabled"));
    const bool asyncLine = any(named, {"data.async.baud", "data.async.data_bits", "data.async.parity",
                                       "data.async.stop_bits", "data.async.autobaud_forbidden"});
    if (asyncLine && (!modeKnown || !asyncLineEnabled(p.m_nSerialMode)))
        return about("data.async", text("仅用于异步模式 (data.serial_mode=async)",
                                        "applies in asynchronous mode only (data.serial_mode=async)"));
    const bool v120 = any(named, {"data.v120.service", "data.v120.lli_negotiation", "data.v120.window_k"});
    if (v120 && (!modeKnown || !v120Enabled(p.m_nSerialMode, synV120Indicator(p.m_nSynProtoItem),
                                            asynV120Indicator(p.m_nASynProtoItem))))
        return about("data.v120", text("仅用于V.120协议 (data.protocol=v120)",
                                       "applies with the V.120 protocol only (data.protocol=v120)"));
    return std::nullopt;
}

// "name=value: why".
QString refusal(const std::string& name, const std::string& value, const QString& why) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())) + QLatin1Char('=') +
           QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())) +
           QStringLiteral(": ") + why;
}

// An assignment checked alone: its name, the record's end, its value (quick-dial numbers
// are checked by quickDialRefusal). The field and what the windows take of it on success.
Check checkAlone(const FieldAssignment& a, int recordLength, const RecordField*& field, Taken& taken) {
    field = findRecordField(a.name);
    if (!field)
        return refusal(a.name, a.value,
                       text("没有此字段 (字段名见 show)", "no such field (the names are those of show)"));
    if (!fieldInRecord(*field, recordLength))
        return refusal(a.name, a.value,
                       text("超出 %1 字节配置的末尾", "past the end of the %1-byte record").arg(recordLength));
    if (Check why = take(*field, valueRule(*field, recordLength), a.value, taken))
        return refusal(a.name, a.value, *why);
    return std::nullopt;
}

constexpr std::string_view kQuickDialPrefix = "quick_dial.";

} // namespace

ValueRule valueRule(const RecordField& f, int recordLength) {
    using namespace dataport;
    switch (f.coding) {
    case FieldCoding::Choice: {
        ValueRule r;
        r.type = ValueType::Choice;
        for (const FieldChoice& c : f.choices)
            if (std::find(r.words.begin(), r.words.end(), c.word) == r.words.end()) r.words.emplace_back(c.word);
        return r;
    }
    case FieldCoding::Flag: {
        ValueRule r;
        r.type = ValueType::Bool;
        r.words = {"true", "false"};
        return r;
    }
    case FieldCoding::HalfKbit:
        return numberRule(f, 1, kMaxThreshold, 1);
    case FieldCoding::Tens:
        // The pages take 0, but the byte would then read as "disabled" (release time) or
        // the page would not store it (fare unit): 10..2550.
        return numberRule(f, kSecondsStep, kMaxSeconds, kSecondsStep);
    case FieldCoding::Window:
        return numberRule(f, dataadv::kMinK, dataadv::kMaxK, 1);
    case FieldCoding::Text: {
        const TextRule& t = editors().at(f.name).text;
        ValueRule r;
        r.type = ValueType::Text;
        r.characters = t.characters;
        r.maxLength = t.longest(recordLength);
        return r;
    }
    }
    return {};
}

ValueRule quickDialRule() {
    // The adapter keeps only digits: anything else would be dropped from the store command.
    ValueRule r;
    r.type = ValueType::Text;
    r.characters = TextCharacters::Digits;
    r.maxLength = dataadv::kQuickDialChars;
    return r;
}

bool fieldInRecord(const RecordField& f, int recordLength) {
    // A text cut by the record's end keeps what fits; other fields are whole or absent.
    return f.offset < recordLength && (f.coding == FieldCoding::Text || f.offset + f.width <= recordLength);
}

bool charactersFit(TextCharacters characters, std::string_view v) {
    switch (characters) {
    case TextCharacters::Any:
        return v.find('\0') == std::string_view::npos;
    case TextCharacters::Digits:
        return allDigits(v);
    case TextCharacters::DialNumber:
        return dialNumberAcceptable(std::string(v));
    }
    return false;
}

std::string_view characterPattern(TextCharacters characters) {
    switch (characters) {
    case TextCharacters::Any:
        return "^[\\u0001-\\u00ff]*$";
    case TextCharacters::Digits:
        return "^[0-9]*$";
    case TextCharacters::DialNumber:
        return "^[0-9]*(\\*[\\u0001-\\u00ff]*)?$";
    }
    return {};
}

int quickDialSlot(const std::string& name) {
    for (int n = 1; n <= kx220::kQuickDialSlots; ++n)
        if (name == quickDialName(n)) return n;
    return 0;
}

std::string quickDialName(int slot) { return std::string(kQuickDialPrefix) + std::to_string(slot); }

std::optional<QString> quickDialRefusal(const FieldAssignment& a) {
    const ValueRule r = quickDialRule();
    if (!charactersFit(r.characters, a.value))
        return refusal(a.name, a.value, text("缩位拨号号码应为数字", "digits only"));
    if (static_cast<int>(a.value.size()) > r.maxLength) return refusal(a.name, a.value, tooLongText(r.maxLength));
    return std::nullopt;
}

std::optional<QString> valueRefusal(const FieldAssignment& a, int recordLength) {
    if (quickDialSlot(a.name)) return quickDialRefusal(a);
    const RecordField* f = nullptr;
    Taken taken;
    return checkAlone(a, recordLength, f, taken);
}

std::optional<FieldAssignment> parseAssignment(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    return FieldAssignment{text.substr(0, eq), text.substr(eq + 1)};
}

EditOutcome applyAssignments(const ProfileRecord& record,
                             const std::vector<FieldAssignment>& assignments) {
    Windows w;
    w.portFill = fillDataPort(record, w.port);
    w.checkDtr = w.portFill.checkDtr;
    w.advFill = fillDataAdv(record, w.adv);
    fillTelPort(record, w.tel);
    fillTelAdv(record, w.telAdv);

    std::set<std::string> named;
    std::vector<std::pair<int, int>> spans;
    std::vector<QString> refused;
    for (const FieldAssignment& a : assignments) {
        const RecordField* f = nullptr;
        Taken taken;
        if (Check why = checkAlone(a, record.length(), f, taken)) {
            refused.push_back(*why);
            continue;
        }
        editors().at(f->name).store(w, taken);
        named.insert(a.name);
        spans.emplace_back(f->offset, f->width);
    }
    // Combinations are judged only on values that were all taken: a refused value would
    // make them misleading.
    if (refused.empty())
        if (Check why = combinations(w, named)) refused.push_back(*why);
    if (!refused.empty()) return {std::nullopt, refused.front(), refused};
    for (const auto& span : tiedSpans(w, named)) spans.push_back(span);

    // Everything the windows would write, then only the named fields' bytes taken from it.
    ProfileRecord packed = record;
    packDataPort(w.port, w.checkDtr, packed, w.portFill);
    packDataAdv(w.adv, packed, w.advFill);
    packTelServices(w.tel, packed);
    packTelTexts(w.tel, packed);
    packTelAdv(w.telAdv, packed);
    ProfileRecord result = record;
    for (auto [offset, width] : spans)
        for (int i = offset; i < offset + width && i < record.length(); ++i)
            result.setByte(i, packed.byte(i));
    return {result, {}, {}};
}

} // namespace omniset::cli
