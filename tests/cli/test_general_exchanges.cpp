// The clock and factory-reset exchanges below the windows (what omniset-cli clock and
// factory-reset print): what was sent and the adapter's own refusal, on a fake adapter.
#include "core/link/general_exchanges.h"
#include "core/link/serial_channel.h"
#include "core/platform/clock.h"
#include "testkit.h"

#include <gtest/gtest.h>

#include <map>

using namespace omniset;

namespace {

const std::string kDatePrompt = "\r\nEnter new date (mm-dd-yyyy):";
const std::string kTimePrompt = "\r\nEnter new time:";

struct Rig {
    test::VirtualClock clock;
    test::FakePorts ports;
    test::FakeAdapter* adapter = &ports.on(1);
    std::map<std::string, std::string> replies; // after the echo
    Rig() {
        adapter->respond = [this](std::string_view w, const platform::LineSettings&) {
            const auto it = replies.find(std::string(w));
            return std::string(w) + (it == replies.end() ? std::string() : it->second);
        };
        SerialOpen(1);
        platform::setLocalTimeSource([] { return QDateTime(QDate(2001, 3, 5), QTime(9, 7, 3)); });
    }
    ~Rig() {
        SerialClose();
        platform::setLocalTimeSource({});
    }
};

} // namespace

TEST(GeneralExchanges, ClockSaysWhatWasSentAndWhatTheAdapterRefused) {
    const struct {
        const char* what;
        std::string datePrompt, dateAnswer, timePrompt, timeAnswer;
        ClockOutcome outcome;
        std::string dateSent, timeSent;
        std::string refusal; // in one of the replies
    } cases[] = {
        {"set", kDatePrompt, "\r\nOK\r\n", kTimePrompt, "\r\nOK\r\n", ClockOutcome::Set,
         "3-5-2001", "9:7:3", ""},
        {"date refused", kDatePrompt, "\r\nInvalid date\r\n", kTimePrompt, "\r\nOK\r\n",
         ClockOutcome::Rejected, "3-5-2001", "9:7:3", "Invalid date"},
        {"time refused", kDatePrompt, "\r\nOK\r\n", kTimePrompt, "\r\nInvalid time\r\n",
         ClockOutcome::Rejected, "3-5-2001", "9:7:3", "Invalid time"},
        {"no date prompt", "\r\nERROR\r\n", "", kTimePrompt, "", ClockOutcome::NoDatePrompt, "",
         "", ""},
        {"no time prompt", kDatePrompt, "\r\nOK\r\n", "\r\nERROR\r\n", "",
         ClockOutcome::NoTimePrompt, "3-5-2001", "", ""},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.replies = {{"at$q\r", c.datePrompt}, {"3-5-2001\r", c.dateAnswer},
                       {"at$t\r", c.timePrompt}, {"9:7:3\r", c.timeAnswer}};
        const ClockResult r = setAdapterClock();
        EXPECT_EQ(r.outcome, c.outcome) << c.what;
        EXPECT_EQ(r.dateSent, c.dateSent) << c.what;
        EXPECT_EQ(r.timeSent, c.timeSent) << c.what;
        if (!c.refusal.empty()) {
            EXPECT_NE((r.dateReply + r.timeReply).find(c.refusal), std::string::npos) << c.what;
        }
    }
}

TEST(GeneralExchanges, FactoryResetSucceedsOnlyOnOk) {
    for (const auto& [reply, restored] :
         std::vector<std::pair<std::string, bool>>{{"\r\nOK\r\n", true}, {"\r\nERROR\r\n", false},
                                                   {"", false}}) {
        Rig rig;
        rig.replies = {{"at&f\r", reply}};
        EXPECT_EQ(restoreFactory(), restored) << reply;
    }
}
