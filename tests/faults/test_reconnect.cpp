// The adapter's port goes away (a USB adapter pulled, the adapter powered off) and comes
// back: the next exchange the user starts, whichever it is, reopens the same COMn under the
// line settings detection found and unlocks profile access again before its own commands;
// the loss is told once. The adapter is the simulator's engine behind a fake port, on a
// virtual clock; the one that comes back is a new one, locked as after power-on.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/link/profile_transfer.h"
#include "core/link/quick_dial.h"
#include "core/link/serial_channel.h"
#include "core/record/adapter_commands.h"
#include "gui/pages/general_page.h"
#include "gui/platform/file_dialog.h"
#include "gui/res/dialog_builder.h"
#include "program_rig.h"
#include "qtest_main.h"

#include <QLabel>
#include <QPushButton>

#include <functional>
#include <map>

using namespace omniset;
using namespace omniset::test;

namespace {

const QString kLost = QStringLiteral("COM1 has been disconnected, please check the connection to KX220!");
// Where detection found the adapter: not the open's own 115200 8N1.
const platform::LineSettings kFound{9600, 8, platform::ParityNone, platform::OneStopBit};
constexpr int kVersionId = 1210, kDownloadId = 1205, kClockId = 1206, kResetId = 1222;

} // namespace

class ReconnectTests : public ProgramRig {
    Q_OBJECT

  public:
    ReconnectTests() : ProgramRig(QStringLiteral("reconnect")) {}

  private:
    QWidget sheet;
    std::unique_ptr<CGeneralPage> page;

    void plugIn() {
        adapter.reset();
        adapter = std::make_unique<EngineAdapter>(*ports, 1, kFound, kx220sim::EngineSettings{
            "2.0", (scratchRoot() + "/reconnect.store").toStdString(), {}, {}, {}}, *clock);
    }
    QPushButton* button(int id) { return res::control<QPushButton>(page.get(), id); }

    // Each exchange entry, and what shows that it worked with the adapter that came back.
    std::map<QString, std::function<bool()>> entries() {
        return {
            {"profile read", [] { return ReadProfile(profileReadCommand(kCurrentProfile)); }},
            {"profile write", [] { EncodeProfile(); return WriteProfile(profileWriteCommand(kCurrentProfile)); }},
            {"quick-dial store", [this] {
                 storeQuickDialNumbers({"123", "", "", "4"});
                 clock->advanceTo(clock->tickCount() + 500); // the adapter takes them in
                 return adapter->engine().store().quickDial(0) == "123" &&
                        adapter->engine().store().quickDial(3) == "4";
             }},
            {"quick-dial read", [] { return readQuickDialNumbers()[0].empty(); }},
            {"identification", [this] {
                 page->initialise(&sheet);
                 return res::control<QLabel>(page.get(), kVersionId)->text().contains("2.0");
             }},
            {"clock", [this] {
                 button(kClockId)->click();
                 return !boxes->shown.empty() &&
                        boxes->shown.back().text == QString::fromUtf8("Set date and time successfully！");
             }},
            {"factory reset", [this] {
                 button(kResetId)->click();
                 return exits->code == std::optional<int>(0);
             }},
            {"download start", [this] {
                 button(kDownloadId)->click(); // the file dialog is cancelled
                 return true;
             }},
        };
    }

  private slots:
    void init() {
        makeRig();
        LanguageMode = 1;
        ScanRate = RememberedRate = 115200;
        plugIn();
        platform::setOpenFileHandler([](const platform::OpenFileRequest&) { return QString(); });
        AllocateProfile(kLongProfileLength);
        // As after detection and the sheet's start: open at the settings found, unlocked.
        QVERIFY(SerialOpen(1));
        QVERIFY(SerialConfigure(kFound));
        UnlockProfiles();
        page = std::make_unique<CGeneralPage>(&sheet);
    }
    void cleanup() {
        page.reset();
        platform::setOpenFileHandler({});
        DownloadActive = AutoUpgrade = DownloadFinished = 0;
        dropRig();
    }

    void theNextExchangeReconnects_data() {
        QTest::addColumn<QString>("entry");
        for (const auto& [name, run] : entries()) QTest::newRow(qPrintable(name)) << name;
    }
    void theNextExchangeReconnects() {
        QFETCH(QString, entry);
        const auto run = entries().at(entry);
        FakeAdapter& port = ports->on(1);
        QVERIFY(adapter->engine().unlocked());

        // Pulled: the exchange fails, and says so once.
        port.gone = true;
        run();
        QCOMPARE(boxes->texts().count(kLost), 1);
        QVERIFY(SerialLost());
        // Still away: the next one fails quietly.
        run();
        QCOMPARE(boxes->texts().count(kLost), 1);

        // Back, and locked as after power-on.
        port.gone = false;
        exits->code.reset();
        plugIn();
        const auto writesBefore = port.writes.size();
        const auto configsBefore = port.configurations.size();
        QVERIFY2(run(), qPrintable(boxes->texts().join('|')));
        QVERIFY(SerialIsOpen());
        QVERIFY(!SerialLost());
        QCOMPARE(boxes->texts().count(kLost), 1);
        // One change of the line, to the settings found; the wake-up and the unlock come
        // before the exchange's own commands.
        QCOMPARE(port.configurations.size(), configsBefore + 1);
        QVERIFY(port.configurations.back() == kFound);
        QVERIFY(port.writes.size() >= writesBefore + 2);
        QCOMPARE(port.writes[writesBefore], std::string(kx220::kWakeUp));
        QCOMPARE(port.writes[writesBefore + 1], std::string(kx220::kUnlock));
        QVERIFY(adapter->engine().unlocked());
    }

    // An open channel that never went away is left as it is: no reopen, no unlock.
    void aLiveChannelIsLeftAlone() {
        FakeAdapter& port = ports->on(1);
        const auto opens = port.opens;
        const auto writes = port.writes.size();
        QVERIFY(ReadProfile(profileReadCommand(kCurrentProfile)));
        QCOMPARE(port.opens, opens);
        QCOMPARE(port.writes.size(), writes + 1);
        QVERIFY(boxes->shown.empty());
    }
};

OMNISET_QTEST_MAIN(ReconnectTests)
#include "test_reconnect.moc"
