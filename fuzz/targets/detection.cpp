// The detection scan's identification check: DetectionScan::run() over COM1..COM4 through
// the scripted port, each "atq0e1v1i" reply searched for the family name.
//
// Input: byte 0 sets the quick try (bit 0) and the remembered port first (bit 1); the rest
// are the replies to the scan's writes, in order (|~| between them; wake-ups included).
// A scan that finds the adapter keeps the channel open and does not end the process; one
// that does not, ends it.
#include "fuzz_input.h"
#include "scripted_link.h"

#include "core/link/detection.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"

#include <QFile>

#include <cstdlib>

using namespace omniset;

namespace {
class QuietView final : public DetectionView {
  public:
    void showPort(int) override {}
    void setProgress(int) override {}
    void stepProgress() override {}
    platform::BoxOwner boxOwner() override { return nullptr; }
};
constexpr std::size_t kMaxReplies = 64;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initProgram(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    QFile::remove(platform::settingsFilePath()); // no port remembered from another input
    QuickTry = data[0] & 1;
    RememberedFirst = data[0] & 2;
    const auto replies = fuzz::splitParts(data + 1, size - 1, kMaxReplies);
    fuzz::ScriptedLink::start(replies);
    QuietView view;
    DetectionScan scan;
    const ScanResult result = scan.run(view);
    if (result == ScanResult::Found && (fuzz::ScriptedLink::exitCode || !SerialIsOpen()))
        std::abort();
    if (result == ScanResult::Ended && !fuzz::ScriptedLink::exitCode) std::abort();
    if (result == ScanResult::SettingsRefused) std::abort(); // the scripted port takes all
    fuzz::ScriptedLink::finish();
    return 0;
}
