// The adapter going away (its pty closed) and line noise in its replies, at every kind of
// exchange: detection, profile reads, the write's acknowledgement wait, the boot loader
// dialogue and the XModem transfer; and a port that goes away while nothing happens.
// The program's code runs in-process against kx220-sim over a real pty, in real time.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/app/settings_store.h"
#include "core/link/detection.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"
#include "core/platform/serial_device.h"
#include "gui/app/prop_sheet.h"
#include "gui/download/download_dlg.h"
#include "gui/link/detection_dialog.h"
#include "gui/pages/general_page.h"
#include "gui/platform/file_dialog.h"
#include "gui/profiles/profile_dialogs.h"
#include "gui/res/dialog_builder.h"
#include "profile_store.h"
#include "pty_pair.h"
#include "qtest_main.h"
#include "sim_process.h"
#include "test_env.h"
#include "testkit.h"
#include "ui_script.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

using namespace omniset;
using namespace omniset::test;

namespace {

constexpr int kOk = 1, kExit = 2, kLoad = 2001, kDownload = 1205;
const char kCaption[] = "Velmar Brantis KX220(当前配置)";
const QString kLost = QStringLiteral("COM1 has been disconnected, please check the connection to KX220!");
const QString kLongBoxStart = QStringLiteral("Omniset Can't find Brantis KX220!");

CPropSheet* activeSheet() { return activeModal<CPropSheet>(); }

QString freshDir(const QString& name) {
    const QString dir = scratchRoot() + QLatin1Char('/') + name;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    return dir;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A store of factory records on disk, so that any change the adapter makes shows.
QString factoryStore(const QString& dir) {
    const QString path = dir + "/store";
    kx220sim::ProfileStore store(path.toStdString(), kLongProfileLength);
    std::string error;
    if (!store.save(&error)) qFatal("store: %s", error.c_str());
    return path;
}

kx220sim::ProfileStore loadStore(const QString& path) {
    kx220sim::ProfileStore store(path.toStdString(), kLongProfileLength);
    std::string error;
    if (!store.load(&error)) qFatal("store: %s", error.c_str());
    return store;
}

// CPU seconds this process used so far.
double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Whether this process has a file descriptor open on `path` (also once the file is gone:
// the link then reads "path (deleted)").
bool holdsFile(const QString& path) {
    const std::string wanted = path.toStdString();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t n = ::readlink(qPrintable(fds.filePath(fd)), target, sizeof target - 1);
        if (n <= 0) continue;
        const std::string text(target, std::size_t(n));
        if (text == wanted || text.rfind(wanted + " ", 0) == 0) return true;
    }
    return false;
}

std::vector<std::string> simArgs(const QString& dir, std::vector<std::string> faults) {
    std::vector<std::string> args{"--com", "1", "--store", (dir + "/store").toStdString(),
                                  "--image", (dir + "/image.dl").toStdString()};
    args.insert(args.end(), faults.begin(), faults.end());
    return args;
}

} // namespace

class SimFaultTests : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedBoxes> boxes;
    std::unique_ptr<ExitRecorder> exits;
    std::unique_ptr<UiScript> script;
    std::unique_ptr<QWidget> sheet;      // the General page's parent (its download window's
    std::unique_ptr<CGeneralPage> page;  // too), kept until the test has looked at them

    int runSheet(int timeoutMs = 30000) {
        script->start(timeoutMs);
        CPropSheet sheet(QString::fromUtf8(kCaption));
        return sheet.run();
    }

    // The General page on its own, the port open, and a download started with its button.
    void downloadFromTheGeneralPage(const QString& firmware) {
        QVERIFY(SerialOpen(1));
        platform::setOpenFileHandler([=](const platform::OpenFileRequest&) { return firmware; });
        sheet = std::make_unique<QWidget>();
        page = std::make_unique<CGeneralPage>();
        QVERIFY(page->initialise(sheet.get()));
        page->show();
        res::control<QPushButton>(page.get(), kDownload)->click();
        QCOMPARE(DownloadActive, 0);
        QVERIFY(res::control<QPushButton>(page.get(), kDownload)->isEnabled());
    }

  private slots:
    void init() {
        boxes = std::make_unique<ScriptedBoxes>();
        exits = std::make_unique<ExitRecorder>();
        endDialogsOnExit(*exits);
        script = std::make_unique<UiScript>();
        LanguageMode = 1;
        QuickTry = RememberedFirst = true;
        ScanRate = RememberedRate = 115200;
        ProfileNumber = kCurrentProfile;
        DownloadActive = AutoUpgrade = DownloadFinished = 0;
        QFile::remove(platform::settingsFilePath());
    }
    void cleanup() {
        SerialClose();
        makePortDangling(1);
        platform::setOpenFileHandler({});
        DownloadActive = AutoUpgrade = DownloadFinished = 0;
        delete downloadWindow();
        page.reset();
        sheet.reset();
        script.reset();
        exits.reset();
        boxes.reset();
    }

    // ---- detection ----

    // The adapter goes away as it is asked who it is: one box of ours, the scan goes on
    // to the other ports (all empty) and ends with the long box, the port not remembered.
    void vanishDuringDetection() {
        const QString dir = freshDir("detect-vanish");
        SimProcess sim(simArgs(dir, {"--fault-vanish-at", "identify"}));
        QVERIFY(sim.running());
        QElapsedTimer t;
        t.start();
        CDetectDlg dlg;
        dlg.exec();
        QVERIFY2(t.elapsed() < 20000, "no wait beyond the tries");
        QCOMPARE(exits->code, std::optional<int>(0));
        QCOMPARE(boxes->shown.size(), std::size_t(2));
        QCOMPARE(boxes->shown[0].text, kLost);
        QCOMPARE(boxes->shown[0].owner, nullptr);
        QVERIFY(boxes->shown[1].text.startsWith(kLongBoxStart));
        QVERIFY(!SerialIsOpen());
        QVERIFY(!QFile::exists(platform::settingsFilePath()));
    }

    // A flipped bit in the family name: that try counts as silent, the next entry that
    // the adapter answers finds it.
    void noiseInTheIdentificationReply() {
        const QString dir = freshDir("detect-noise");
        SimProcess sim(simArgs(dir, {"--fault-noise", "identify"}));
        QVERIFY(sim.running());
        CDetectDlg dlg;
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(!exits->code);
        QVERIFY(boxes->shown.empty());
        QCOMPARE(GetSettingInt("Asychron_set", "iComNo", 0), 1);
        QVERIFY(SerialIsOpen());
    }

    // ---- profile reads ----

    // The first read breaks off half-way: the long box and exit code 1, after our box;
    // nothing was written to the adapter.
    void vanishDuringTheFirstRead_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("lost");
        QTest::newRow("adapter gone half-way") << "--fault-vanish-at" << "read" << true;
        QTest::newRow("one bit of noise") << "--fault-noise" << "read" << false;
    }
    void vanishDuringTheFirstRead() {
        QFETCH(QString, fault);
        QFETCH(QString, option);
        QFETCH(bool, lost);
        const QString dir = freshDir("first-read");
        const QByteArray before = fileBytes(factoryStore(dir));
        SimProcess sim(simArgs(dir, {fault.toStdString(), option.toStdString()}));
        QVERIFY(SerialOpen(1));
        QElapsedTimer t;
        t.start();
        runSheet();
        QVERIFY(t.elapsed() < 15000);
        QCOMPARE(exits->code, std::optional<int>(1));
        QStringList expected;
        if (lost) expected << kLost;
        QCOMPARE(boxes->shown.size(), std::size_t(expected.size() + 1));
        for (int i = 0; i < expected.size(); ++i) QCOMPARE(boxes->shown[i].text, expected[i]);
        QVERIFY(boxes->shown.back().text.startsWith(kLongBoxStart));
        QVERIFY(!SerialIsOpen());
        sim.stop();
        QCOMPARE(fileBytes(dir + "/store"), before);
    }

    // A loaded profile with one flipped bit fails its checksum: the sheet keeps what it
    // showed, and OK then writes that record, never the broken one.
    void noiseInALoadedProfile() {
        const QString dir = freshDir("load-noise");
        const QString storePath = factoryStore(dir);
        // Profile 1 differs from the current configuration, so a wrong record shows.
        {
            auto store = loadStore(storePath);
            auto record = store.record(1);
            record[field::FareUnit] = 77;
            store.setRecord(1, record);
            std::string error;
            QVERIFY(store.save(&error));
        }
        const auto current = loadStore(storePath).record(kCurrentProfile);
        SimProcess sim(simArgs(dir, {"--fault-noise", "read:2"}));
        QVERIFY(SerialOpen(1));
        ProfileRecord shown;
        QString caption;
        script->when(activeSheet, [&] {
            shown = ProfileImage();
            caption = activeSheet()->windowTitle();
            activeSheet()->button(kLoad)->click();
        });
        script->when(activeModal<CLoadProfileDlg>, [] {
            auto* d = activeModal<CLoadProfileDlg>();
            chooseItem(d->findChild<QComboBox*>(), 2); // Profile 1
            clickButton(d, 1);
        });
        // The failed read shows nothing, restores the profile number and keeps the image.
        script->when([&] { return activeSheet() && !activeModal<CLoadProfileDlg>() &&
                                  ProfileNumber == kCurrentProfile &&
                                  activeSheet()->windowTitle() == caption &&
                                  ProfileImage() == shown; },
                     [] { activeSheet()->button(kOk)->click(); });
        script->when(activeModal<CCurrentProfileDlg>,
                     [] { clickButton(activeModal<CCurrentProfileDlg>(), 1); });
        const int result = runSheet();
        QVERIFY2(script->done(), qPrintable(QStringLiteral("%1 steps left, boxes: %2, caption %3")
                                                .arg(script->pending())
                                                .arg(boxes->texts().join('|'))
                                                .arg(ProfileNumber)));
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY2(boxes->shown.empty(), qPrintable(boxes->texts().join('|')));
        sim.stop();
        const auto after = loadStore(storePath);
        QVERIFY(after.record(kCurrentProfile) == current);
        QCOMPARE(int(after.record(1)[field::FareUnit]), 77);
    }

    // ---- the write's acknowledgement ----

    // The adapter goes away once it has the record, before it stores or acknowledges it:
    // our box at once, not after 60 s, and no error box of the write after it; the sheet
    // stays open.
    void vanishDuringTheAcknowledgementWait() {
        const QString dir = freshDir("ack-vanish");
        const QByteArray before = fileBytes(factoryStore(dir));
        SimProcess sim(simArgs(dir, {"--fault-vanish-at", "write"}));
        QVERIFY(SerialOpen(1));
        QElapsedTimer t;
        script->when(activeSheet, [&] {
            t.start();
            activeSheet()->button(kOk)->click();
        });
        script->when(activeModal<CCurrentProfileDlg>,
                     [] { clickButton(activeModal<CCurrentProfileDlg>(), 1); });
        script->when([this] { return activeSheet() && !boxes->shown.empty(); }, [&] {
            QVERIFY2(t.elapsed() < 15000, "no 60 s wait on a port that is gone");
            activeSheet()->button(kExit)->click();
        });
        QCOMPARE(runSheet(), int(QDialog::Rejected));
        QVERIFY(script->done());
        QCOMPARE(boxes->texts(), QStringList{kLost});
        QCOMPARE(ProfileNumber, kCurrentProfile);
        QVERIFY(!exits->code);
        sim.stop();
        QCOMPARE(fileBytes(dir + "/store"), before);
    }

    // ---- a port that goes away while nothing happens ----

    // No CPU is spent on the dead port while the program waits for the user, the next
    // exchange tells once, and the ones after it fail quietly.
    void vanishWhileIdle() {
        const QString dir = freshDir("idle-vanish");
        SimProcess sim(simArgs(dir, {}));
        QVERIFY(SerialOpen(1));
        const QString slave = QFileInfo(platform::portLinkPath(1)).canonicalFilePath();
        QVERIFY(!slave.isEmpty());
        QVERIFY(holdsFile(slave));
        sim.stop(); // closes the pty
        const double cpu0 = cpuSeconds();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 2000) platform::waitForEvents(platform::tickCount() + 100);
        const double used = cpuSeconds() - cpu0;
        QVERIFY2(used < 0.5, qPrintable(QStringLiteral("%1 s of CPU in 2 s").arg(used)));
        QVERIFY2(!holdsFile(slave), "the dead port is released while the program waits");
        SerialPurge();
        QVERIFY(!SerialWrite("ati3\r"));
        QCOMPARE(SerialReadText(50), std::string());
        QCOMPARE(SerialReadText(50), std::string());
        QVERIFY(!SerialWrite("ati4\r"));
        QCOMPARE(boxes->texts(), QStringList{kLost});
        QVERIFY(SerialLost());
        QVERIFY(!SerialIsOpen());
    }

    // ---- the firmware download ----

    // The boot loader dialogue broken at each of its prompts: the acknowledge error, or our
    // box alone when the adapter went away; the page is usable again.
    void bootLoaderDialogueFaults_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QStringList>("after");
        const QString notice = QStringLiteral("NOTICE: Not do anything else when downloading software!");
        const QString ackError = QStringLiteral("Communication acknowledge error when downloading!");
        QTest::newRow("gone at the first prompt")
            << "--fault-vanish-at" << "boot:1" << QStringList{kLost};
        QTest::newRow("gone at the speed prompt")
            << "--fault-vanish-at" << "boot:2" << QStringList{notice, kLost};
        QTest::newRow("noise in the first prompt")
            << "--fault-noise" << "boot:1" << QStringList{ackError};
        QTest::newRow("noise in Waiting...")
            << "--fault-noise" << "boot:3" << QStringList{notice, ackError};
    }
    void bootLoaderDialogueFaults() {
        QFETCH(QString, fault);
        QFETCH(QString, option);
        QFETCH(QStringList, after);
        const QString dir = freshDir("boot");
        QFile fw(dir + "/kx220a20.DL");
        QVERIFY(fw.open(QIODevice::WriteOnly));
        fw.write(QByteArray(4000, 'x'));
        fw.close();
        SimProcess sim(simArgs(dir, {fault.toStdString(), option.toStdString()}));
        QElapsedTimer t;
        t.start();
        downloadFromTheGeneralPage(fw.fileName());
        QVERIFY(t.elapsed() < 20000);
        QVERIFY(!exits->code);
        QStringList texts = boxes->texts();
        QVERIFY(!texts.isEmpty());
        texts.removeFirst(); // the page's question
        QCOMPARE(texts, after);
        QVERIFY(!downloadWindow());
        QVERIFY(!QFile::exists(dir + "/image.dl"));
    }

    // The adapter goes away after the third block: the transfer ends at once with our
    // box alone (no stream of send errors, no endless cycles), then the progress window closes.
    void vanishInTheMiddleOfTheTransfer() {
        const QString dir = freshDir("xmodem-vanish");
        QFile fw(dir + "/kx220a20.DL");
        QVERIFY(fw.open(QIODevice::WriteOnly));
        fw.write(QByteArray(20000, 'y'));
        fw.close();
        SimProcess sim(simArgs(dir, {"--fault-vanish-at", "block:3"}));
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuSeconds();
        downloadFromTheGeneralPage(fw.fileName());
        QVERIFY(t.elapsed() < 20000);
        QVERIFY(cpuSeconds() - cpu0 < 0.7 * double(t.elapsed()) / 1000.0);
        QVERIFY(!exits->code);
        QStringList texts = boxes->texts();
        QVERIFY(!texts.isEmpty());
        texts.removeFirst();
        QCOMPARE(texts, (QStringList{"NOTICE: Not do anything else when downloading software!", kLost}));
        QVERIFY(!downloadWindow());
        QVERIFY(!QFile::exists(dir + "/image.dl"));
    }

    // A flipped bit in a block's ACK: the sender waits, the receiver repeats itself, and
    // the image arrives whole.
    void noiseOnABlockAcknowledgement() {
        const QString dir = freshDir("xmodem-noise");
        std::mt19937 random(5);
        QByteArray data(5000, '\0');
        for (auto& c : data) c = char(random() & 0xFF);
        QFile fw(dir + "/kx220a20.DL");
        QVERIFY(fw.open(QIODevice::WriteOnly));
        fw.write(data);
        fw.close();
        SimProcess sim(simArgs(dir, {"--fault-noise", "block:2"}));
        QVERIFY(SerialOpen(1));
        platform::setOpenFileHandler([&](const platform::OpenFileRequest&) { return fw.fileName(); });
        CGeneralPage page;
        QWidget sheet;
        QVERIFY(page.initialise(&sheet));
        page.show();
        res::control<QPushButton>(&page, kDownload)->click();
        QCOMPARE(exits->code, std::optional<int>(0));
        QCOMPARE(boxes->texts().last(),
                 QStringLiteral("Download software to KX220 sucessfully! Please restart Omniset!"));
        const QByteArray image = fileBytes(dir + "/image.dl");
        QVERIFY(image.startsWith(data));
    }

    // ---- the adapter comes back ----

    // The adapter went away (the simulator stopped, or vanished in the middle of a read)
    // and comes back on the same COM1 link with a new pty, locked as after power-on: the
    // next read reopens COM1 (the link resolved anew), unlocks and reads; the loss was
    // told once, and nothing was tried while the link led nowhere.
    void theNextExchangeReopensTheSamePort_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::newRow("simulator stopped between reads") << QStringList{};
        QTest::newRow("vanished in the middle of a read") << QStringList{"--fault-vanish-at", "read:2"};
    }
    void theNextExchangeReopensTheSamePort() {
        QFETCH(QStringList, faults);
        const QString dir = freshDir("reopen");
        factoryStore(dir);
        std::vector<std::string> extra;
        for (const QString& f : faults) extra.push_back(f.toStdString());
        auto first = std::make_unique<SimProcess>(simArgs(dir, extra));
        QVERIFY(SerialOpen(1));
        AllocateProfile(kLongProfileLength);
        UnlockProfiles();
        const std::string read = profileReadCommand(kCurrentProfile);
        QVERIFY(ReadProfile(read));
        const ProfileRecord shown = ProfileImage();
        const QString oldPty = QFileInfo(platform::portLinkPath(1)).canonicalFilePath();

        if (faults.isEmpty()) first->stop();
        QVERIFY(!ReadProfile(read));
        QCOMPARE(boxes->texts(), QStringList{kLost});
        first.reset();
        makePortDangling(1); // the link the simulator removed: never /dev/ttyS0
        QVERIFY(!ReadProfile(read));
        QCOMPARE(boxes->texts(), QStringList{kLost});

        PtyPair takesTheOldNumber; // the adapter comes back under another device name
        SimProcess second(simArgs(dir, {}));
        QVERIFY(QFileInfo(platform::portLinkPath(1)).canonicalFilePath() != oldPty);
        QVERIFY(ReadProfile(read));
        QVERIFY(ProfileImage() == shown);
        QVERIFY(SerialIsOpen() && !SerialLost());
        QCOMPARE(boxes->texts(), QStringList{kLost});
    }

    // ---- a stalled port ----

    // The line stalls (output stopped by flow control; or a driver that takes the bytes
    // and never sends them, as a USB adapter that stopped): the longest time the program
    // dispatches no event, while a read or a write of the record runs, stays within the
    // write time-outs and the waits the exchange itself makes without dispatching.
    void aStalledPortHoldsTheWindowsOnlyBriefly_data() {
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("driverQueue");
        QTest::addColumn<int>("limitMs");
        // A read: the command's write time-out (1006 ms), or the read time-out of the
        // record's reply (1000 + 666 ms). A write: the command's time-out, 300 ms, the hex
        // text's time-out (1654 ms) and 300 ms again, none of it dispatched: 3260 ms.
        QTest::newRow("read, output stopped") << false << false << 1666;
        QTest::newRow("read, driver never drains") << false << true << 1666;
        QTest::newRow("write, output stopped") << true << false << 3260;
        QTest::newRow("write, driver never drains") << true << true << 3260;
    }
    void aStalledPortHoldsTheWindowsOnlyBriefly() {
        QFETCH(bool, write);
        QFETCH(bool, driverQueue);
        QFETCH(int, limitMs);
        const QString dir = freshDir("stall");
        factoryStore(dir);
        auto sim = std::make_unique<SimProcess>(simArgs(dir, {}));
        QVERIFY(SerialOpen(1));
        AllocateProfile(kLongProfileLength);
        UnlockProfiles();
        QVERIFY(ReadProfile(profileReadCommand(kCurrentProfile)));
        const int fd = fdOpenOn(QFileInfo(platform::portLinkPath(1)).canonicalFilePath());
        QVERIFY(fd >= 0);
        if (driverQueue) platform::setOutputQueueProbe([](int) { return 1; });
        else QVERIFY(::tcflow(fd, TCOOFF) == 0);

        QElapsedTimer since, total;
        qint64 longest = 0;
        QTimer tick;
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, since.restart());
        });
        // A write that never gets its OK ends when the adapter goes away, not after 60 s.
        QTimer away;
        away.setSingleShot(true);
        QObject::connect(&away, &QTimer::timeout, [&] { sim->stop(); });
        away.start(6000);
        since.start();
        total.start();
        tick.start();
        if (write) {
            EncodeProfile();
            WriteProfile(profileWriteCommand(kCurrentProfile));
        } else {
            ReadProfile(profileReadCommand(kCurrentProfile));
        }
        longest = std::max(longest, since.elapsed());
        tick.stop();
        platform::setOutputQueueProbe({});
        qInfo("%s: no event dispatched for %lld ms at most (exchange %lld ms)",
              QTest::currentDataTag(), longest, total.elapsed());
        QVERIFY2(longest <= limitMs + 300, qPrintable(QString::number(longest)));
        QVERIFY(total.elapsed() < 12000);
    }
};

OMNISET_QTEST_MAIN(SimFaultTests)
#include "test_sim_faults.moc"
