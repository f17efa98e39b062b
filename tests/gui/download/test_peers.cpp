// The sender against real peers over ptys, in real time: lrzsz's rx receiving a file, and
// kx220-sim's boot loader receiving one through the whole procedure started from the
// General page.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/link/serial_channel.h"
#include "gui/download/download.h"
#include "gui/download/download_dlg.h"
#include "gui/pages/general_page.h"
#include "gui/platform/file_dialog.h"
#include "gui/res/dialog_builder.h"
#include "pty_pair.h"
#include "qtest_main.h"
#include "sim_process.h"
#include "test_env.h"
#include "testkit.h"
#include "transfer_data.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace omniset;
using namespace omniset::test;

namespace {

constexpr int kBlock = 1024;
constexpr std::size_t kFileSize = 100000;

QString freshDir(const QString& name) {
    const QString dir = scratchRoot() + QLatin1Char('/') + name;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    return dir;
}

QString writeFile(const QString& path, const std::string& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(data.data(), qint64(data.size()));
    return path;
}

std::string fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// rx in dir with the pty master as its terminal; its messages go to dir/rx.log.
pid_t spawnRx(const QString& dir, int terminal, const std::string& name) {
    const std::string cwd = dir.toStdString(), log = (dir + "/rx.log").toStdString();
    std::vector<std::string> args{RX_PATH, "-c", "-b", name};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int err = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::chdir(cwd.c_str()) != 0 || ::dup2(terminal, 0) < 0 || ::dup2(terminal, 1) < 0 ||
            err < 0 || ::dup2(err, 2) < 0)
            ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

} // namespace

class PeerTests : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        SerialClose();
        makePortDangling(1);
        platform::setOpenFileHandler({});
        DownloadActive = AutoUpgrade = DownloadFinished = 0;
    }

    // rx writes every frame it accepts; its ACK of the EOT is often lost when it flushes
    // its terminal on exit, so the transfer is then ended with Cancel.
    void rxReceivesTheFile() {
        if (std::string(RX_PATH).empty()) QSKIP("lrzsz's rx is not installed");
        const QString dir = freshDir("rx");
        const std::string data = randomBytes(kFileSize, 21);
        const QString fw = writeFile(dir + "/fw.dl", data);
        PtyPair pty;
        pointPortAt(1, pty.slavePath());
        QVERIFY(SerialOpen(1));
        pty.readMaster(100); // the open's "at\r"
        const pid_t rx = spawnRx(dir, pty.masterFd(), "received.bin");
        QVERIFY(rx > 0);

        CXModemSender sender(nullptr);
        QVERIFY(sender.openFile(fw));
        QPointer<CDownloadDlg> dlg = new CDownloadDlg(nullptr);
        dlg->show();
        dlg->setFile(fw, int(kFileSize >> 10));
        sender.setView(dlg);
        bool acknowledged = false;
        sender.setCompletion([&] { acknowledged = true; });
        int rxStatus = -1;
        QElapsedTimer sinceExit, total;
        total.start();
        QTimer cancel;
        cancel.callOnTimeout([&] {
            if (rxStatus < 0 && ::waitpid(rx, &rxStatus, WNOHANG) == rx) sinceExit.start();
            const bool ackLost = rxStatus >= 0 && sinceExit.elapsed() > 3000 &&
                                 sender.state() == CXModemSender::SEND_LASTPACK_STATE;
            if ((ackLost || total.elapsed() > 90000) && dlg)
                res::control<QPushButton>(dlg, 2)->click();
        });
        cancel.start(100);
        DownloadActive = 1;

        const bool done = sender.Run();

        cancel.stop();
        if (rxStatus < 0) {
            for (int i = 0; i < 50 && ::waitpid(rx, &rxStatus, WNOHANG) == 0; ++i) ::usleep(100000);
            if (rxStatus < 0) ::kill(rx, SIGKILL), ::waitpid(rx, &rxStatus, 0);
        }
        QVERIFY2(WIFEXITED(rxStatus) && WEXITSTATUS(rxStatus) == 0,
                 qPrintable("rx: " + QString::fromStdString(fileBytes(dir + "/rx.log"))));
        QVERIFY2(total.elapsed() < 90000, "the transfer did not reach its end");
        QCOMPARE(done, acknowledged);
        QCOMPARE(sender.state(), CXModemSender::SEND_LASTPACK_STATE);
        const std::string received = fileBytes(dir + "/received.bin");
        QCOMPARE(received.size(), std::size_t((kFileSize + kBlock - 1) / kBlock + 1) * kBlock);
        QVERIFY2(received.compare(0, data.size(), data) == 0, "starts with the whole file");
        QVERIFY(received == expectedImage(data));
        // A receiver slowed down by a loaded machine may repeat its start signal once
        // while the first frame is on its way; more resends mean frames were lost.
        QVERIFY2(sender.resendCount() <= 1, qPrintable(QString::number(sender.resendCount())));
        delete dlg.data();
    }

    // The manual download from the General page against the simulated adapter: the
    // confirmation, the boot loader dialogue, the paced transfer, the completion.
    void simReceivesTheFileFromTheGeneralPage() {
        const QString dir = freshDir("sim");
        const std::string data = randomBytes(kFileSize, 22);
        const QString fw = writeFile(dir + "/kx220a20.DL", data);
        const QString image = dir + "/image.dl";
        SimProcess sim({"--com", "1", "--image", image.toStdString(), "--store",
                        (dir + "/store").toStdString()});
        QVERIFY(sim.running());
        QVERIFY(SerialOpen(1));
        ScriptedBoxes boxes;
        ExitRecorder exits;
        platform::setOpenFileHandler([&](const platform::OpenFileRequest&) { return fw; });
        LanguageMode = 1;
        CGeneralPage page;
        QWidget sheet;
        QVERIFY(page.initialise(&sheet));
        page.show();
        int packets = 0;
        QTimer watch;
        watch.callOnTimeout([&] {
            if (auto* w = downloadWindow()) packets = std::max(packets, w->m_nPacket);
        });
        watch.start(200);
        QElapsedTimer t;
        t.start();

        res::control<QPushButton>(&page, 1205)->click();

        watch.stop();
        QCOMPARE(exits.code, std::optional<int>(0));
        QCOMPARE(boxes.texts(),
                 (QStringList{boxes.texts().value(0),
                              "NOTICE: Not do anything else when downloading software!",
                              "Download software to KX220 sucessfully! Please restart Omniset!"}));
        QVERIFY(fileBytes(image) == expectedImage(data));
        QVERIFY(packets >= 90);
        QVERIFY(t.elapsed() >= 10000);
        QCOMPARE(DownloadFinished, 1);
    }
};

OMNISET_QTEST_MAIN(PeerTests)
#include "test_peers.moc"
