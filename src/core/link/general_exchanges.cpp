// The clock and factory-reset exchanges of the General page.
#include "core/link/general_exchanges.h"

#include "core/link/identification.h"
#include "core/link/serial_channel.h"
#include "core/platform/clock.h"
#include "core/record/adapter_commands.h"

#include <string_view>

namespace omniset {

namespace {

// The reply to the factory reset is read up to this many bytes.
constexpr int kResetReplyLimit = 50;

// A clock prompt is whole once it has come and the line fell quiet.
platform::ReplyCheck promptWhole(std::string_view prompt) {
    return promptCheck(prompt, quietMs(SerialLineSettings()));
}

bool contains(std::string_view reply, std::string_view marker) {
    return reply.find(marker) != std::string_view::npos;
}

std::string withoutCr(std::string text) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

} // namespace

ClockResult setAdapterClock() {
    ClockResult r;
    if (!contains(adapterExchange(kx220::kDateQuery, kx220::kClockReplyLimit,
                                  promptWhole(kx220::kDatePrompt)),
                  kx220::kDatePrompt))
        return r;
    // The date is taken when it is sent, the time likewise: a second may pass between.
    const QDate d = platform::localNow().date();
    const std::string date = kx220::dateText(d.month(), d.day(), d.year());
    r.dateSent = withoutCr(date);
    r.dateReply = adapterExchange(date, kx220::kClockReplyLimit);
    r.dateAccepted = !contains(r.dateReply, kx220::kDateRejected);
    if (!contains(adapterExchange(kx220::kTimeQuery, kx220::kClockReplyLimit,
                                  promptWhole(kx220::kTimePrompt)), kx220::kTimePrompt)) {
        r.outcome = ClockOutcome::NoTimePrompt;
        return r;
    }
    const QTime t = platform::localNow().time();
    const std::string time = kx220::timeText(t.hour(), t.minute(), t.second());
    r.timeSent = withoutCr(time);
    r.timeReply = adapterExchange(time, kx220::kClockReplyLimit);
    r.timeAccepted = !contains(r.timeReply, kx220::kTimeRejected);
    r.outcome = r.dateAccepted && r.timeAccepted ? ClockOutcome::Set : ClockOutcome::Rejected;
    return r;
}

bool restoreFactory() {
    return contains(adapterExchange(kx220::kFactoryReset, kResetReplyLimit), kx220::kOk);
}

} // namespace omniset
