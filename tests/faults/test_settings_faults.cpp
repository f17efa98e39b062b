// A settings file that cannot be written (its path is a folder; the disk is full) and one
// full of garbage: start-up still reaches the sheet, nothing is shown, and the file is
// never damaged. The adapter is the simulator's engine behind a fake port, on a virtual
// clock.
#include "core/app/settings_store.h"
#include "core/link/detection.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"
#include "engine_adapter.h"
#include "gui/app/prop_sheet.h"
#include "gui/app/startup.h"
#include "gui/link/detection_dialog.h"
#include "program_rig.h"
#include "qtest_main.h"
#include "test_env.h"
#include "ui_script.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace omniset;
using namespace omniset::test;

namespace {


QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    f.write(data);
}

// Names in the settings folder other than the port links: leftovers of a failed write
// would show here.
QStringList settingsFolderEntries() {
    return QDir(platform::configDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// Limits the size of files this process may write (SIGXFSZ ignored, so that a write
// past the limit fails with EFBIG instead of ending the process).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

class SettingsFaultTests : public ProgramRig {
    Q_OBJECT

  public:
    SettingsFaultTests() : ProgramRig(QStringLiteral("settings")) {}

  private:

    // Start-up against the adapter on COM1, to the sheet and out with Escape.
    void startUpAndLeave() {
        script->when([] { return activeModal<CPropSheet>() != nullptr; },
                     [] { QTest::keyClick(activeModal<CPropSheet>(), Qt::Key_Escape); });
        script->start(30000);
        runStartup();
        QVERIFY(script->done());
        QVERIFY(!exits->code);
        QVERIFY(boxes->shown.empty());
    }

  private slots:
    void init() {
        makeRig();
        adapterOn(1);
        QuickTry = RememberedFirst = true;
        ScanRate = RememberedRate = 115200;
        qputenv("LANG", "en_US.UTF-8");
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        QDir(platform::settingsFilePath()).removeRecursively();
        QFile::remove(platform::settingsFilePath());
    }
    void cleanup() {
        dropRig();
        QDir(platform::settingsFilePath()).removeRecursively();
        QFile::remove(platform::settingsFilePath());
    }

    // The settings path is a folder (permissions do not stop root): every write fails and
    // is ignored, and the folder is left as it was.
    void theSettingsPathIsAFolder() {
        const QString path = platform::settingsFilePath();
        QVERIFY(QDir().mkpath(path + "/inside"));
        const QStringList entries = settingsFolderEntries();
        startUpAndLeave();
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"inside"});
        QCOMPARE(settingsFolderEntries(), entries);
    }

    // The disk is full (no file may grow past one byte): the writes fail half-way, the old
    // file stays as it was, and no temporary file is left behind.
    void aFullDiskLeavesTheFileAsItWas() {
        const QString path = platform::settingsFilePath();
        const QByteArray before = "[Asychron_set]\r\niComNo=2\r\nm_baudrate2=8\r\n";
        writeBytes(path, before);
        const QStringList entries = settingsFolderEntries();
        {
            FileSizeLimit full(1);
            startUpAndLeave();
        }
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(settingsFolderEntries(), entries);
        // The same writes succeed once there is room again.
        QVERIFY(PutSettingInt("Asychron_set", "iComNo", 1));
        QVERIFY(fileBytes(path).contains("iComNo=1"));
    }

    // Garbage of every kind around the real values: they are read by the file's rules,
    // and the one value detection writes replaces its own line; every other byte stays.
    void garbageLinesAreReadAroundAndKept() {
        const QString path = platform::settingsFilePath();
        QByteArray garbage;
        garbage += "\x7f\x45LF\x02\x01\x01\x00\x00\x00binary\xff\xfe\r\n";
        garbage += QByteArray(3, '\0') + "nul bytes\n";
        garbage += QByteArray(200000, 'x') + "=long line\n";
        garbage += "[Asychron_set\n";          // not closed: not a section
        garbage += "iComNo=4\n";               // outside any section
        garbage += "[Asychron_set]\n";
        garbage += "no equals sign here\n";
        garbage += "=5\n";
        garbage += "m_baudrate2=fast\n";       // not a number: 0, that is 600 baud
        garbage += "m_paritychk2 = 2 ; none\n";
        garbage += "iComNo = 1 ; where it was\n";
        garbage += "iComNo=3\n";               // a second key: the first one counts
        garbage += "\xe4\xb8\xad\xe6\x96\x87=\xc3\x28 invalid UTF-8\n";
        garbage += "[Asychron_set]\n";         // a second section: the first one counts
        garbage += "iComNo=2\n";
        garbage += "trailing line without end";
        writeBytes(path, garbage);

        CDetectDlg dlg;
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(boxes->shown.empty());
        QCOMPARE(RememberedRate, 600u);
        // The remembered try went to COM1 at 600 baud, no parity: silent, then the table.
        const auto& tries = adapter->fake().configurations;
        QVERIFY(tries.size() >= 3);
        QCOMPARE(tries[1].baudRate, 600u);
        QCOMPARE(tries[1].parity, int(platform::ParityNone));

        QByteArray expected = garbage;
        expected.replace("iComNo = 1 ; where it was\n", "iComNo=1\n");
        expected += "\n"; // the last line gets its line end
        QCOMPARE(fileBytes(path), expected);
    }
};

OMNISET_QTEST_MAIN(SettingsFaultTests)
#include "test_settings_faults.moc"
