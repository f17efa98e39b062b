// Changes to named fields through the pages' own fill and pack rules.
#include "cli/field_edit.h"

#include "core/app/language.h"
#include "core/record/dataport_adv_rules.h"
#include "core/record/dataport_rules.h"
#include "core/record/record_fields.h"
#include "core/record/teladv_rules.h"
#include "core/record/telport_rules.h"

#include <QStringList>

#include <charconv>
#include <functional>
#include <map>
#include <set>

namespace omniset::cli {

namespace {

// Texts the pages show for the same mistakes.
constexpr const char* kNumberNotDigits = "自动拨号号码部分应为数字！";
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
    TelAdvReach reach;
    int length = 0;
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

// The code of a listed word ("even", "9600"); the catch-all entries are no word to give.
std::optional<int> choiceCode(const RecordField& f, const std::string& v) {
    for (const FieldChoice& c : f.choices)
        if (c.code >= 0 && c.word == v) return c.code;
    return std::nullopt;
}

QString wordsOf(const RecordField& f) {
    QStringList words;
    for (const FieldChoice& c : f.choices)
        words << QString::fromUtf8(c.word.data(), static_cast<qsizetype>(c.word.size()));
    return words.join(QStringLiteral(", "));
}

Check notOneOf(const RecordField& f) {
    return text("应为: ", "one of: ") + wordsOf(f);
}

Check notBoolean() { return text("应为 true 或 false", "true or false"); }

// A number of seconds in steps of 10 within lo..hi (the byte holds tens of seconds).
Check seconds(const std::string& v, int lo, int hi, int& out) {
    const auto n = integer(v);
    if (!n) return integerText();
    if (*n < lo || *n > hi) return betweenText(lo, hi);
    if (*n % kSecondsStep)
        return text("以10秒为单位", "in steps of 10 seconds (the adapter keeps tens of seconds)");
    out = *n;
    return std::nullopt;
}

Check kbits(const std::string& v, int& out) {
    const auto n = integer(v);
    if (!n) return integerText();
    if (*n < 1 || *n > dataport::kMaxThreshold) return betweenText(1, dataport::kMaxThreshold);
    out = *n;
    return std::nullopt;
}

// A text field with its box: a text ticks it, an empty text clears it.
Check boxedText(const std::string& v, int maxChars, int& box, std::string& out) {
    if (static_cast<int>(v.size()) > maxChars) return tooLongText(maxChars);
    box = v.empty() ? 0 : 1;
    out = v;
    return std::nullopt;
}

Check msn(const std::string& v, int maxChars, int& box, std::string& out) {
    if (!msnAcceptable(v)) return text(kMsnNotDigitsZh, kMsnNotDigitsEn);
    return boxedText(v, maxChars, box, out);
}

// The radio index of a flag whose byte is 1 for "true" and whose first button writes 1.
int invertedIndex(bool on) { return on ? 0 : 1; }

using Setter = std::function<Check(Windows&, const RecordField&, const std::string&)>;

Setter flagSetter(std::function<void(Windows&, bool)> set) {
    return [set](Windows& w, const RecordField&, const std::string& v) -> Check {
        const auto b = boolean(v);
        if (!b) return notBoolean();
        set(w, *b);
        return std::nullopt;
    };
}

Setter choiceSetter(std::function<void(Windows&, int)> set) {
    return [set](Windows& w, const RecordField& f, const std::string& v) -> Check {
        const auto code = choiceCode(f, v);
        if (!code) return notOneOf(f);
        set(w, *code);
        return std::nullopt;
    };
}

const std::map<std::string_view, Setter>& setters() {
    using namespace dataport;
    static const std::map<std::string_view, Setter> table{
        // Data port page.
        {"data.serial_mode", choiceSetter([](Windows& w, int code) {
             w.port.m_nSerialMode = code == 1 ? kSync : kAsync;
             w.portFill.oddSerialMode = false;
         })},
        {"data.protocol", choiceSetter([](Windows& w, int code) { w.protocolCode = code; })},
        {"data.flow_control", choiceSetter([](Windows& w, int code) { w.flowCode = code; })},
        {"data.sync.baud", choiceSetter([](Windows& w, int code) {
             w.port.m_nSynBaud = code == kBaud64kCode ? kBaud64kItem : code;
             w.portFill.oddSynBaud = false;
         })},
        {"data.dial_mode", choiceSetter([](Windows& w, int code) {
             w.port.m_nDialMode = code == kAutoDialCode ? kDialAuto : kDialManual;
             if (w.port.m_nDialMode == kDialManual) w.port.m_strNumber.clear();
             else w.checkDtr = true; // automatic dialling checks DTR
         })},
        {"data.dial_number",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             // The page's box says it in Chinese whatever the language.
             if (!dialNumberAcceptable(v))
                 return QString::fromUtf8(kNumberNotDigits) +
                        text("", " (the number to dial must be digits)");
             if (static_cast<int>(v.size()) > kNumberChars) return tooLongText(kNumberChars);
             w.port.m_strNumber = v;
             return std::nullopt;
         }},
        {"data.answer_mode",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             if (v != "auto" && v != "manual") return text("应为: auto, manual", "one of: auto, manual");
             w.port.m_nAnswerMode = v == "auto" ? kAnswerAuto : kAnswerManual;
             w.portFill.oddAnswerMode = false;
             return std::nullopt;
         }},
        {"data.check_dtr", flagSetter([](Windows& w, bool on) { w.checkDtr = on; })},
        {"data.bod.upper_threshold",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             if (v == "disabled") {
                 w.port.m_bUpperOn = 0;
                 return std::nullopt;
             }
             w.port.m_bUpperOn = 1; // as ticking the box and typing the number
             return kbits(v, w.port.m_nUpper);
         }},
        {"data.bod.lower_threshold",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return kbits(v, w.port.m_nLower);
         }},
        {"data.bod.release_time",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             if (v == "disabled") {
                 w.port.m_bReleaseOn = 0;
                 return std::nullopt;
             }
             w.port.m_bReleaseOn = 1;
             // 0 seconds would be stored as the code for "disabled".
             return seconds(v, kSecondsStep, kMaxSeconds, w.port.m_nReleaseTime);
         }},
        {"data.bod.fare_unit",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             // The page takes 0 but stores only 10..2550.
             return seconds(v, kSecondsStep, kMaxSeconds, w.port.m_nFareUnit);
         }},
        // Data port advanced dialog.
        {"data.async.baud", choiceSetter([](Windows& w, int code) { w.adv.m_nBaud = code; })},
        {"data.async.data_bits", choiceSetter([](Windows& w, int code) { w.adv.m_nDataBits = code; })},
        {"data.async.parity", choiceSetter([](Windows& w, int code) { w.adv.m_nParity = code; })},
        {"data.async.stop_bits", choiceSetter([](Windows& w, int code) { w.adv.m_nStopBits = code; })},
        {"data.async.autobaud_forbidden",
         flagSetter([](Windows& w, bool on) { w.adv.m_bAutobaud = on ? 1 : 0; })},
        {"data.v120.service", choiceSetter([](Windows& w, int code) { w.adv.m_nService = code; })},
        {"data.v120.lli_negotiation", flagSetter([](Windows& w, bool on) {
             w.adv.m_nNegotiate = on ? dataadv::kNegotiate : dataadv::kNoNegotiation;
         })},
        {"data.v120.window_k",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             const auto n = integer(v);
             if (!n) return integerText();
             if (*n < dataadv::kMinK || *n > dataadv::kMaxK)
                 return betweenText(dataadv::kMinK, dataadv::kMaxK);
             w.adv.m_nK = *n;
             w.advFill.oddK = false;
             return std::nullopt;
         }},
        {"data.v24.dsr", flagSetter([](Windows& w, bool on) {
             w.adv.m_bDsr = on ? 1 : 0;
             w.advFill.oddDsr = false;
         })},
        {"data.v24.dcd", flagSetter([](Windows& w, bool on) {
             w.adv.m_bDcd = on ? 1 : 0;
             w.advFill.oddDcd = false;
         })},
        {"data.ring_once", flagSetter([](Windows& w, bool on) { w.adv.m_nRing = on ? 1 : 0; })},
        {"data.msn",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return msn(v, dataadv::kMsnChars, w.adv.m_bMsn, w.adv.m_strMsn);
         }},
        {"data.subaddress",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return boxedText(v, dataadv::kTextChars, w.adv.m_bSubaddr, w.adv.m_strSubaddr);
         }},
        {"data.uus",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return boxedText(v, dataadv::kTextChars, w.adv.m_bUus, w.adv.m_strUus);
         }},
        {"data.clir", flagSetter([](Windows& w, bool on) { w.adv.m_nClir = invertedIndex(on); })},
        {"data.colr", flagSetter([](Windows& w, bool on) { w.adv.m_nColr = invertedIndex(on); })},
        // Telephone port page.
        {"tel1.msn",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return msn(v, telport::kMsnChars, w.tel.m_bMsn1, w.tel.m_strMsn1);
         }},
        {"tel2.msn",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return msn(v, telport::kMsnChars, w.tel.m_bMsn2, w.tel.m_strMsn2);
         }},
        {"tel1.subaddress",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return boxedText(v, telport::kTextChars, w.tel.m_bSubaddr1, w.tel.m_strSubaddr1);
         }},
        {"tel2.subaddress",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return boxedText(v, telport::kTextChars, w.tel.m_bSubaddr2, w.tel.m_strSubaddr2);
         }},
        {"tel1.uus",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return boxedText(v, telport::kTextChars, w.tel.m_bUus1, w.tel.m_strUus1);
         }},
        {"tel2.uus",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             return boxedText(v, telport::kTextChars, w.tel.m_bUus2, w.tel.m_strUus2);
         }},
        {"tel1.clir", flagSetter([](Windows& w, bool on) { w.tel.m_nClir1 = invertedIndex(on); })},
        {"tel1.colr", flagSetter([](Windows& w, bool on) { w.tel.m_nColr1 = invertedIndex(on); })},
        {"tel2.clir", flagSetter([](Windows& w, bool on) { w.tel.m_nClir2 = invertedIndex(on); })},
        {"tel2.colr", flagSetter([](Windows& w, bool on) { w.tel.m_nColr2 = invertedIndex(on); })},
        // Telephone port advanced dialog.
        {"tel.keypad_called_number", flagSetter([](Windows& w, bool on) {
             w.telAdv.m_nKeypad = on ? teladv::kCalledNumberMode : teladv::kKeypadMode;
         })},
        {"tel.national_prefix",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             if (!prefixAcceptable(v)) return text(kPrefixNotDigitsZh, kPrefixNotDigitsEn);
             if (static_cast<int>(v.size()) > w.reach.nationalChars)
                 return tooLongText(w.reach.nationalChars);
             w.telAdv.m_strNational = v;
             return std::nullopt;
         }},
        {"tel.international_prefix",
         [](Windows& w, const RecordField&, const std::string& v) -> Check {
             if (!prefixAcceptable(v)) return text(kPrefixNotDigitsZh, kPrefixNotDigitsEn);
             if (static_cast<int>(v.size()) > teladv::kPrefixChars) return tooLongText(teladv::kPrefixChars);
             w.telAdv.m_strInternational = v;
             return std::nullopt;
         }},
        {"tel1.bearer", choiceSetter([](Windows& w, int code) { w.telAdv.m_nBearer1 = code; })},
        {"tel2.bearer", choiceSetter([](Windows& w, int code) { w.telAdv.m_nBearer2 = code; })},
        {"tel.coding_law", choiceSetter([](Windows& w, int code) { w.telAdv.m_nCodingLaw = code; })},
    };
    return table;
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

} // namespace

int quickDialSlot(const std::string& name) {
    for (int n = 1; n <= kx220::kQuickDialSlots; ++n)
        if (name == "quick_dial." + std::to_string(n)) return n;
    return 0;
}

std::optional<QString> quickDialRefusal(const FieldAssignment& a) {
    // The adapter keeps only digits: anything else would be dropped from the store command.
    if (!allDigits(a.value))
        return refusal(a.name, a.value, text("缩位拨号号码应为数字", "digits only"));
    if (static_cast<int>(a.value.size()) > dataadv::kQuickDialChars)
        return refusal(a.name, a.value, tooLongText(dataadv::kQuickDialChars));
    return std::nullopt;
}

std::optional<FieldAssignment> parseAssignment(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    return FieldAssignment{text.substr(0, eq), text.substr(eq + 1)};
}

EditOutcome applyAssignments(const ProfileRecord& record,
                             const std::vector<FieldAssignment>& assignments) {
    Windows w;
    w.length = record.length();
    w.portFill = fillDataPort(record, w.port);
    w.checkDtr = w.portFill.checkDtr;
    w.advFill = fillDataAdv(record, w.adv);
    fillTelPort(record, w.tel);
    fillTelAdv(record, w.telAdv);
    w.reach = telAdvReach(record.length());

    std::set<std::string> named;
    std::vector<std::pair<int, int>> spans;
    std::vector<QString> refused;
    for (const FieldAssignment& a : assignments) {
        const RecordField* f = findRecordField(a.name);
        if (!f) {
            refused.push_back(refusal(a.name, a.value,
                                      text("没有此字段 (字段名见 show)",
                                           "no such field (the names are those of show)")));
            continue;
        }
        if (f->offset >= record.length() ||
            (f->coding != FieldCoding::Text && f->offset + f->width > record.length())) {
            refused.push_back(refusal(a.name, a.value,
                                      text("超出 %1 字节配置的末尾", "past the end of the %1-byte record")
                                          .arg(record.length())));
            continue;
        }
        if (Check why = setters().at(f->name)(w, *f, a.value)) {
            refused.push_back(refusal(a.name, a.value, *why));
            continue;
        }
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
