#include "core/link/profile_transfer.h"

#include "core/app/language.h"
#include "core/app/messages.h"
#include "core/link/exchange_entry.h"
#include "core/link/reply_checks.h"
#include "core/link/serial_channel.h"
#include "core/platform/clock.h"
#include "core/platform/cursor.h"
#include "core/record/adapter_commands.h"
#include "core/record/profile_codec.h"

#include <optional>
#include <utility>

namespace omniset {

int ProfileLength = kShortProfileLength;
int ProfileNumber = kCurrentProfile;

namespace {

ProfileRecord g_image(kShortProfileLength);
std::string g_hexText;
std::function<bool()> g_syncModeQuery;
ReadOutcome g_lastRead;

constexpr int kAfterCommandMs = 300;
constexpr int kWaitSurchargeMs = 200;

int receiveLimit() { return 2 * ProfileLength + 14; }

bool contains(std::string_view text, std::string_view what) {
    // The reply is taken as text: it ends at its first zero byte.
    auto end = text.find('\0');
    return text.substr(0, end).find(what) != std::string_view::npos;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Why a reply gave no record: how far its hex text came.
ReadOutcome judgeReply(std::string_view reply) {
    ReadOutcome o;
    o.received = static_cast<int>(reply.size());
    o.hexWanted = 2 * (ProfileLength + 1);
    const std::size_t echo = kx220::kProfileCommandLength;
    const std::string_view text = reply.size() > echo ? reply.substr(echo) : std::string_view();
    while (o.hexDigits < static_cast<int>(text.size()) && isHexDigit(text[static_cast<std::size_t>(o.hexDigits)]))
        ++o.hexDigits;
    if (SerialLost()) o.failure = ReadFailure::PortLost;
    else if (text.empty()) o.failure = ReadFailure::Silence;
    else if (o.hexDigits >= o.hexWanted) o.failure = ReadFailure::BadChecksum;
    else if (static_cast<int>(text.size()) >= o.hexWanted) o.failure = ReadFailure::Garbled;
    else o.failure = ReadFailure::ShortReply;
    return o;
}

} // namespace

ProfileRecord& ProfileImage() { return g_image; }
const ReadOutcome& LastReadOutcome() { return g_lastRead; }
const std::string& ProfileHexText() { return g_hexText; }

void AllocateProfile(int length) {
    ProfileLength = length;
    g_image = ProfileRecord(length);
    g_hexText.clear();
}

void DetermineProfileLength() {
    SerialPurge();
    SerialWrite(kx220::kVersionQuery);
    AllocateProfile(profileLengthForReply(
        SerialReadReply(kx220::kIdentReplyLimit, 0, resultLineCheck())));
}

void UnlockProfiles() {
    SerialPurge();
    SerialWrite(kx220::kUnlock);
    PumpedWait(2 * (LineDelay(30) + kWaitSurchargeMs));
    PumpedWait(2 * (LineDelay(20) + kWaitSurchargeMs));
}

bool ReadProfile(std::string_view command) {
    platform::WaitCursor wait;
    BeginExchange();
    SerialPurge();
    SerialWrite(command);
    std::string reply =
        SerialReadReply(receiveLimit(), 2 * (LineDelay(2 * ProfileLength + 2) + kWaitSurchargeMs),
                        profileReplyCheck(ProfileLength, quietMs(SerialLineSettings())));
    reply = reply.substr(0, reply.find('\0'));
    g_lastRead = {};
    // The reply is the command's echo, the hex text, then the adapter's closing text.
    auto record = reply.size() < static_cast<std::size_t>(kx220::kProfileCommandLength)
                      ? std::nullopt
                      : decodeProfileHex(std::string_view(reply).substr(kx220::kProfileCommandLength),
                                         ProfileLength);
    if (!record) {
        g_lastRead = judgeReply(reply);
        return false;
    }
    g_image = std::move(*record);
    return true;
}

void EncodeProfile() {
    g_image.setChecksumByte(g_image.computeChecksum());
    platform::showArrowCursor(); // the packing's wait ends here
    g_hexText = encodeProfileHex(g_image);
}

bool WriteProfile(std::string_view command, platform::BoxOwner owner) {
    if (g_syncModeQuery && g_syncModeQuery()) {
        ownedBoxText(nullptr, synchronousModeNotice());
    }
    std::optional<platform::WaitCursor> wait(std::in_place);
    BeginExchange();
    SerialPurge();
    SerialWrite(command);
    BusyWait(kAfterCommandMs);
    SerialWrite(g_hexText);
    int w = LineDelay(static_cast<int>(g_hexText.size()));
    // The waits for the text on the line. Where reads end with their replies, they are the
    // lead of the first read instead, which looks for "OK" from the moment the text has
    // left and ends as soon as it has come.
    int lead = kAfterCommandMs + 2 * w + kAfterCommandMs;
    if (!EndReadsWhenWhole) {
        BusyWait(kAfterCommandMs);
        PumpedWait(2 * w + kAfterCommandMs);
        lead = 0;
    }
    const platform::ReplyCheck acknowledged = [](std::string_view received) {
        return contains(received, kx220::kOk) ? 0 : platform::kReplyPartial;
    };

    const auto deadline =
        platform::tickCount() + static_cast<std::uint64_t>(lead) + kWriteAckLimitMs;
    std::string reply;
    while (!contains(reply, kx220::kOk)) {
        // A port that went away cannot acknowledge: fail now, and without a box of its
        // own (the loss was told).
        if (SerialLost()) return false;
        if (platform::tickCount() >= deadline) {
            wait.reset(); // the box is the user's turn
            ownedBox(owner, "配置文件写入有误！", "Writing Profile Error！");
            return false;
        }
        platform::dispatchPendingEvents();
        reply = SerialReadReply(receiveLimit(), std::exchange(lead, 0), acknowledged);
    }
    return true;
}

std::string profileReadCommand(int profile) { return kx220::readCommand(profile); }
std::string profileWriteCommand(int profile) { return kx220::writeCommand(profile); }

QString profileName(int profile) {
    if (profile == kCurrentProfile) return pickText("当前配置", "Current Profile");
    return pickText("配置 ", "Profile ") + QString::number(profile);
}

void setSynchronousModeQuery(std::function<bool()> query) { g_syncModeQuery = std::move(query); }

QString synchronousModeNotice() {
    return pickText(
        "请注意：\n\n您已经将KX220设置为同步工作方式！如果保存了此设置后，重新运行Omniset，"
        "计算机将搜索不到KX220，而且KX220将不能接收AT命令。按下\"确定\"按钮后，即进入同步工作"
        "方式。如果想恢复异步工作方式，正常接收AT命令，当此设置仅保存在当前配置中时，只需将"
        "KX220断电后重新上电即可；当此设置还保存在配置0或配置1中时，需将DIP1置为ON，然后将"
        "KX220重新上电。",
        "NOTICE:\n\nYou have set Serial Mode of KX220 to synchronization mode! If save the "
        "configuration, your computer will not find KX220 and KX220 will not receive AT command "
        "when you run Omniset. After you choose \"OK\" button, KX220 will run into "
        "synchronization mode. To restore asynchronism mode and receive AT command correctly, "
        "you can shut off the power and then turn on it when the configuration is saved in "
        "current profile;  you must set DIP1 to ON and then turn on the power again when the "
        "configuration is saved in profile 0 or 1.");
}

} // namespace omniset
