#include "core/download/boot_loader.h"

#include "core/app/messages.h"
#include "core/link/reply_checks.h"
#include "core/link/serial_channel.h"
#include "core/record/adapter_commands.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace omniset {

namespace {

void showNotice() {
    appBox("注意：在下载软件时，请不要做任何其它操作！",
           "NOTICE: Not do anything else when downloading software!", BoxButtons::Ok,
           BoxIcon::Warning);
}

// A port that went away has said so already: then that is the one message.
bool failAcknowledge() {
    if (!SerialLost()) appBox("下载确认通信错误!", "Communication acknowledge error when downloading!");
    return false;
}

// One step: purge, send, one read of up to 1024 bytes, and the prompt looked for in that
// reply as text (up to a zero byte), letter case counting.
bool promptAnswered(std::string_view send, std::string_view prompt) {
    SerialPurge();
    SerialWrite(send);
    std::string reply = SerialReadReply(kx220::kPromptReplyLimit, 0,
                                        promptCheck(prompt, quietMs(SerialLineSettings())));
    reply.resize(std::min(reply.size(), reply.find('\0')));
    return reply.find(prompt) != std::string::npos;
}

} // namespace

bool runBootLoaderDialogue(const std::function<void(BootLoaderStep)>& onStep) {
    auto answered = [&](BootLoaderStep step) {
        if (onStep) onStep(step);
    };
    if (!promptAnswered(kx220::kDownloadStart, kx220::kDownloadPrompt)) return failAcknowledge();
    answered(BootLoaderStep::Question);
    showNotice(); // the boot loader waits meanwhile
    if (!promptAnswered(kx220::kDownloadYes, kx220::kSpeedPrompt)) return failAcknowledge();
    answered(BootLoaderStep::Speed);
    if (!promptAnswered(kx220::kDownloadYes, kx220::kWaitingPrompt)) return failAcknowledge();
    answered(BootLoaderStep::Waiting);
    return true;
}

} // namespace omniset
