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
#include "gui/pages/dataport_adv.h"
#include "gui/pages/dataport_page.h"
#include "gui/pages/general_page.h"
#include "gui/platform/file_dialog.h"
#include "gui/res/dialog_builder.h"
#include "program_rig.h"
#include "qtest_main.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <map>

using namespace omniset;
using namespace omniset::test;

namespace {

const QString kLost = QStringLiteral("COM1 has been disconnected, please check the connection to KX220!");
// Where detection found the adapter: not the open's own 115200 8N1.
const platform::LineSettings kFound{9600, 8, platform::ParityNone, platform::OneStopBit};
constexpr int kVersionId = 1210, kDownloadId = 1205, kClockId = 1206, kResetId = 1222;
constexpr int kDialogOk = 1, kDialogCancel = 2;
// Into the first of the reconnect's dispatching waits: after the reopen's 300 ms settling
// (which dispatches nothing), within the unlock's 416 ms.
constexpr std::uint64_t kIntoTheUnlockMs = 500;

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

    // The port went away while idle (the next exchange's check tells it) and is back: the
    // next exchange reconnects, with the unlock's waits.
    void lostAndBack() {
        ports->on(1).gone = true;
        QVERIFY(SerialCheckLost());
        ports->on(1).gone = false;
        plugIn();
    }
    // A user's click, as the window system delivers it, at a virtual time.
    void clickAt(std::uint64_t afterMs, QWidget* target, bool* delivered) {
        clock->after(afterMs, [target, delivered] {
            QTest::mouseClick(target, Qt::LeftButton);
            *delivered = true;
        });
    }
    int writesOf(std::string_view prefix) const {
        int n = 0;
        for (const auto& w : ports->adapters.at(1)->writes) n += std::string_view(w).starts_with(prefix);
        return n;
    }

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
        sheet.hide();
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

    // A click during a reconnect's waits, on the page's own clock button or on a button of
    // the sheet, starts nothing: the reconnect runs under the guard of its command.
    void aClickDuringThePagesReconnectChangesNothing_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("onSheet");
        for (int command : {kClockId, kResetId, kDownloadId})
            for (bool onSheet : {false, true})
                QTest::addRow("%s, click on %s",
                              command == kClockId ? "clock" : command == kResetId ? "reset" : "download",
                              onSheet ? "the sheet" : "the clock button")
                    << command << onSheet;
    }
    void aClickDuringThePagesReconnectChangesNothing() {
        QFETCH(int, command);
        QFETCH(bool, onSheet);
        QPushButton sheetExit(QStringLiteral("Exit"), &sheet);
        int exits = 0;
        connect(&sheetExit, &QPushButton::clicked, [&exits] { ++exits; });
        sheet.show();
        lostAndBack();
        bool delivered = false;
        clickAt(kIntoTheUnlockMs, onSheet ? static_cast<QWidget*>(&sheetExit) : button(kClockId),
                &delivered);
        button(command)->click();
        QVERIFY(delivered);
        QCOMPARE(exits, 0);
        QCOMPARE(writesOf(kx220::kDateQuery), command == kClockId ? 1 : 0);
        QCOMPARE(writesOf(kx220::kUnlock), 2); // the start's and the reconnect's
    }

    // The advanced dialog's quick-dial exchanges: while it opens (not modal yet) the sheet
    // takes no click; during OK neither Cancel nor a second OK acts.
    void aClickDuringTheAdvancedDialogsReconnectChangesNothing_data() {
        QTest::addColumn<int>("clicked"); // 0: a sheet button while opening
        QTest::newRow("opening, click on the sheet") << 0;
        QTest::newRow("OK, then Cancel") << kDialogCancel;
        QTest::newRow("OK, then OK again") << kDialogOk;
    }
    void aClickDuringTheAdvancedDialogsReconnectChangesNothing() {
        QFETCH(int, clicked);
        QVERIFY(ReadProfile(profileReadCommand(kCurrentProfile)));
        CDataPortPage dataPage(&sheet);
        QPushButton sheetExit(QStringLiteral("Exit"), &sheet);
        int exits = 0;
        connect(&sheetExit, &QPushButton::clicked, [&exits] { ++exits; });
        sheet.show();
        dataPage.initialise();
        CDataPortAdvDlg dlg(dataPage);
        int rejected = 0;
        connect(&dlg, &QDialog::rejected, [&rejected] { ++rejected; });
        bool delivered = false;
        if (!clicked) {
            lostAndBack();
            clickAt(kIntoTheUnlockMs, &sheetExit, &delivered);
            dlg.initialise();
        } else {
            dlg.initialise();
            dlg.show();
            lostAndBack();
            clickAt(kIntoTheUnlockMs, res::control<QPushButton>(&dlg, clicked), &delivered);
            res::control<QPushButton>(&dlg, kDialogOk)->click();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(writesOf("at&z0="), 1);
        }
        QVERIFY(delivered);
        QCOMPARE(exits, 0);
        QCOMPARE(rejected, 0);
    }

    // The port goes away under an exchange that would show a failure of its own: the
    // disconnection box is the last and only message; the exchange still fails.
    void aLostPortIsTheOneMessage_data() {
        QTest::addColumn<QString>("entry");
        for (const char* name : {"profile write", "clock", "factory reset", "download"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void aLostPortIsTheOneMessage() {
        QFETCH(QString, entry);
        const QString firmware = scratchRoot() + "/reconnect-fw.dl";
        QFile f(firmware);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1500, 'x'));
        f.close();
        platform::setOpenFileHandler([firmware](const platform::OpenFileRequest&) { return firmware; });
        const std::map<QString, std::function<bool()>> failing{
            {"profile write", [] { EncodeProfile(); return !WriteProfile(profileWriteCommand(kCurrentProfile)); }},
            {"clock", [this] { button(kClockId)->click(); return true; }},
            {"factory reset", [this] { button(kResetId)->click(); return !exits->code; }},
            {"download", [this] { button(kDownloadId)->click(); return !exits->code; }},
        };
        ports->on(1).gone = true;
        const auto start = clock->tickCount();
        QVERIFY(failing.at(entry)());
        const QStringList texts = boxes->texts();
        QCOMPARE(texts.count(kLost), 1);
        QCOMPARE(texts.last(), kLost);
        QVERIFY(clock->tickCount() - start < 10000); // no 60 s wait for an acknowledgement
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
