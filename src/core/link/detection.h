// detection.h - the scan of COM1..COM4 for the adapter.
//
//   DetectionScan::run(view)   tries ports and line settings in the fixed order until the
//                              adapter answers the identification query; on success the
//                              channel stays open under the settings that worked and the
//                              port is stored as "iComNo"
//   DetectionScan::stop()      makes a running scan give up at its next step (the Stop
//                              button, which also ends the process)
//   tryIdentification(s)      one identification try at line settings s: answered, silent,
//                              refused, send failed or port lost (no boxes)
//   rememberedSettings(...)    the line settings stored by the data port advanced dialog
//   lineSettingsText(s)        "115200 8N1": rate, data bits, parity letter, stop bits
//   DetectionView::explain(l)  one line of what the scan did per port (why a port did not
//                              open, at which settings it stayed silent, where the adapter
//                              answered) and a summary when nothing answered; by default
//                              written to standard error, a front end may take or drop it
//   DetectionView::explainPort(port, name, outcome)   a port's line in its parts; by
//                              default explain("Detection: NAME: OUTCOME")
//   DetectionView::english()   the language of those lines (English unless a front end
//                              says otherwise)
//   PortOutcome / portOutcomeText(o, english)   what happened on one port, in words: the
//                              scan's lines and the command-line program's single-port
//                              search say it alike
//   kRateTable etc.            the order in which settings are tried
#pragma once

#include "core/platform/message_box.h"
#include "core/platform/serial_device.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace omniset {

inline constexpr std::array<std::uint32_t, 9> kRateTable{115200, 9600, 57600, 38400, 19200,
                                                         4800,   2400, 1200,  600};
inline constexpr std::array<int, 2> kDataTable{8, 7};
inline constexpr int kParityCount = 5; // none, odd, even, mark, space
inline constexpr int kEntriesPerPort = 9 * 2 * kParityCount;
inline constexpr int kProgressRange = 4 * kEntriesPerPort;
inline constexpr int kQuickTryPort = 2;

// The rates of the stored baud-rate index 0..8 (ascending, unlike kRateTable).
inline constexpr std::array<std::uint32_t, 9> kStoredRates{600,   1200,  2400,  4800, 9600,
                                                           19200, 38400, 57600, 115200};

struct StoredLine {
    platform::LineSettings settings;
    std::uint32_t rate;
};
// Maps the stored indexes over the table entry's own settings.
StoredLine rememberedSettings(const platform::LineSettings& entry);
std::string lineSettingsText(const platform::LineSettings& s);

// What the scan shows while it runs.
class DetectionView {
  public:
    virtual ~DetectionView() = default;
    virtual void showPort(int port) = 0;      // "Detecting COM%d"
    virtual void setProgress(int position) = 0;
    virtual void stepProgress() = 0;
    virtual platform::BoxOwner boxOwner() = 0;       // the dialog that owns the scan's boxes
    virtual void explain(const std::string& line);
    virtual void explainPort(int port, const std::string& name, const std::string& outcome);
    virtual bool english() const { return true; }
};

// What happened on one port. tried: the settings tried there, in order; the last is the
// one it ended at.
struct PortOutcome {
    enum Kind {
        NotOpened,     // openFailure says why
        Answered,      // at the last setting, after the others stayed silent
        Silent,        // opened, no answer at any setting
        QuickSilent,   // opened, no answer to the quick try
        Refused,       // the driver refused the last setting
        RefusedAtOpen, // the driver refused the settings every port is opened with
        SendFailed,    // the query could not be sent at the last setting
        Lost,          // the port went away at the last setting
    };
    Kind kind = Silent;
    platform::OpenFailure openFailure;
    std::vector<platform::LineSettings> tried;
};
std::string portOutcomeText(const PortOutcome& outcome, bool english);

enum class ScanResult {
    Found,           // channel open, "iComNo" written
    SettingsRefused, // a box said so; the dialog waits for Stop
    Ended,           // the process was ended (send error, nothing found) or stopped
};

// One try of the identification query: apply the settings, purge, send "atq0e1v1i\r", wait
// ten characters' time, read the reply. Answered when it names the adapter family. The scan
// and the command-line program's single-port search both use it; stopped() (if given) is
// asked after the wait, and a true answer gives Silent without reading.
enum class IdentifyTry { Answered, Silent, Refused, SendFailed, PortLost };
IdentifyTry tryIdentification(const platform::LineSettings& settings,
                              const std::function<bool()>& stopped = {});

class DetectionScan {
  public:
    ScanResult run(DetectionView& view);
    void stop() { stopped_ = true; }
    int currentPort() const { return currentPort_; }

  private:
    using Try = IdentifyTry;
    Try tryEntry(DetectionView& view, const platform::LineSettings& settings);
    // One line about the port just given up or found: what was tried there.
    void explainPort(DetectionView& view, PortOutcome::Kind kind);

    int currentPort_ = 1;
    std::vector<platform::LineSettings> tried_; // on the port open now, in order
    std::string portName_;                      // "COM1 (/dev/pts/3)" of the port open now
    bool stopped_ = false;
};

// Process-wide flags of the scan: set at start, each cleared once and never set again.
extern bool QuickTry;
extern bool RememberedFirst;

} // namespace omniset
