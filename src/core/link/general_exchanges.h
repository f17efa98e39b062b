// general_exchanges.h - the General page's clock setting and factory reset, below the
// windows: the page shows their outcome in boxes, omniset-cli prints it.
//
//   setAdapterClock()     "at$q\r" (its reply must hold the date prompt), the PC's date as
//                         "m-d-yyyy\r", "at$t\r" (the time prompt), the PC's time as
//                         "h:m:s\r"; each purge, write, one read of up to 100 bytes. The
//                         outcome, the texts sent and the adapter's replies to them
//   restoreFactory()      "at&f\r", one read of up to 50 bytes; true when the reply
//                         holds "OK"
//   general::kClockSet, kDateNotAccepted, kTimeNotAccepted, kConfirmReset, kResetDone,
//   kResetFailed          the page's texts for these outcomes, Chinese and English
//
// Neither shows anything nor changes the cursor: the caller does.
#pragma once

#include "core/app/text_pair.h"

#include <string>

namespace omniset {

enum class ClockOutcome {
    NoDatePrompt, // the date query was not answered with its prompt
    NoTimePrompt, // the time query was not answered with its prompt
    Rejected,     // the adapter refused the date or the time (its reply says why)
    Set,
};

struct ClockResult {
    ClockOutcome outcome = ClockOutcome::NoDatePrompt;
    std::string dateSent; // "12-9-2026" (no carriage return); empty when not sent
    std::string timeSent; // "14:30:5"
    std::string dateReply;
    std::string timeReply;
    bool dateAccepted = false;
    bool timeAccepted = false;
};

ClockResult setAdapterClock();
bool restoreFactory();

namespace general {

inline constexpr TextPair kDateNotAccepted{"收到的日期数据错误！",
                                                "The date data receiving error！"};

inline constexpr TextPair kTimeNotAccepted{"收到的时间数据错误！",
                                                "The time data receiving error！"};

inline constexpr TextPair kClockSet{"设置日期和时间成功！", "Set date and time successfully！"};

inline constexpr TextPair kConfirmReset{
    "确实要将当前配置恢复为KX220的出厂设置吗？当您错误地设置了\nKX220的某些工作参数(例如:"
    "多用户号设置不当，或在中国误将电\n话口的编解码律设置为μ律时，将无法打电话), "
    "从而导致KX220\n不能正常工作时,建议您这么做。\n\n- "
    "如果选择\"确定\"按钮，Omniset将会以出厂设置来配置KX220,\n- "
    "如果选择\"取消\"按钮，Omniset将保留原来对KX220的设置。",
    "Are you sure to restore the factory settings of KX220?\nWhen you find you have set some "
    "parameters incorrectly and\nthen KX220 cann't work normally(For example: Incorrectly \nset "
    "MSN, or the codec law of telephone port as μ Law in \nChina ), you can do it.\n\n- If choose "
    "\"OK\",Omniset will reset KX220 as factory settings\n- If choose \"Cancel\", Omniset will "
    "keep the original settings."};

inline constexpr TextPair kResetDone{
    "恢复KX220出厂设置成功，请重新启动Omniset!",
    "Restoring KX220 factory settings is successful,\nplease restart Omniset!"};

inline constexpr TextPair kResetFailed{
    "恢复KX220出厂设置失败，请再试一次",
    "Restoring KX220 factory settings is not successful, please retry it!"};

} // namespace general

} // namespace omniset
