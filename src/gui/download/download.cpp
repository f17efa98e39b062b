#include "gui/download/download.h"

#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/app/messages.h"
#include "core/download/boot_loader.h"
#include "core/link/serial_channel.h"
#include "core/platform/cursor.h"
#include "core/platform/paths.h"
#include "core/platform/process.h"
#include "gui/download/download_dlg.h"
#include "gui/platform/file_dialog.h"
#include "gui/platform/window_presenters.h"
#include "gui/profiles/status_dialogs.h"
#include "gui/toolkit/input_guard.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace omniset {

namespace {

constexpr char kUpgradeFileName[] = "kx220a20.dl";  // the automatic upgrade's file
constexpr char kProposedFileName[] = "kx220a20.DL"; // proposed by the open-file dialog
constexpr char kFileFilter[] = "download files(*.DL)";
constexpr int kKiloShift = 10; // bytes to whole K
constexpr int kExitCode = 0;

bool g_preparingOpen = false; // the status window of the device preparation is open

void showEmptyFile() { appBox("下载文件为空!", "The download file is empty!"); }

void showSuccess() {
    appBox("给KX220下载主机软件成功!请重启Omniset!",
           "Download software to KX220 sucessfully! Please restart Omniset!", BoxButtons::Ok,
           BoxIcon::Information);
}

// Waits with events dispatched, so that the windows paint, while no window takes input.
void waitDrawnWithoutInput(int ms) {
    std::vector<std::unique_ptr<InputGuard>> guards;
    for (QWidget* w : QApplication::topLevelWidgets()) guards.push_back(std::make_unique<InputGuard>(w));
    PumpedWait(ms);
}

// The firmware file of an automatic upgrade, opened and not empty; empty path when the
// upgrade cannot go on (it then ends without a word).
QString openUpgradeFile(CXModemSender& sender) {
    const QString dir = platform::installationDir();
    if (dir.isEmpty()) return {};
    const QString path = findUpgradeFile(dir);
    if (path.isEmpty() || !sender.openFile(path)) return {};
    if (!QFileInfo(path).lastModified().isValid() || sender.fileSize() == 0) {
        sender.closeFile();
        return {};
    }
    return path;
}

// The file the user chooses, opened and not empty; the dialog comes back until one
// opens or the user cancels (empty path).
QString openChosenFile(CXModemSender& sender) {
    for (;;) {
        const QString path = chooseFirmwareFile(platform::ownerWindow(sender.owner()));
        if (path.isEmpty()) return {};
        if (!sender.openFile(path)) continue;
        if (sender.fileSize() > 0) return path;
        sender.closeFile();
        showEmptyFile();
    }
}

CDownloadDlg* openProgressWindow(QWidget* owner, const QString& path, qint64 size) {
    auto* dlg = new CDownloadDlg(owner);
    dlg->show();
    // Centred over the sheet; on the screen while the sheet was never shown (the
    // automatic upgrade runs before it is).
    QRect over;
    if (owner && owner->window()->isVisible()) over = owner->window()->frameGeometry();
    else if (QScreen* screen = dlg->screen()) over = screen->availableGeometry();
    if (over.isValid()) dlg->move(over.center() - dlg->rect().center());
    dlg->raise();
    dlg->activateWindow();
    dlg->repaint();
    const auto sizeK = static_cast<int>(std::min<qint64>(size >> kKiloShift,
                                                         std::numeric_limits<int>::max()));
    dlg->setFile(path, sizeK);
    return dlg;
}

} // namespace

QString findUpgradeFile(const QString& dir) {
    // Sorted by name so that the choice between files of one time does not depend on the
    // order the file system lists them in; the later one wins.
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files, QDir::Name);
    QString best;
    QDateTime bestTime;
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().compare(QLatin1String(kUpgradeFileName), Qt::CaseInsensitive) != 0)
            continue;
        const QDateTime written = entry.lastModified();
        if (!written.isValid()) return {};
        if (best.isEmpty() || written >= bestTime) {
            best = entry.absoluteFilePath();
            bestTime = written;
        }
    }
    return best;
}

QString chooseFirmwareFile(QWidget* owner) {
    const QString initial =
        QDir(platform::installationDir()).filePath(QLatin1String(kProposedFileName));
    return platform::getOpenFileName(owner, pickText("打开", "Open"), initial,
                                     QLatin1String(kFileFilter));
}

bool PrepareDevice() {
    showReadingStatus(nullptr);
    g_preparingOpen = true;
    if (!runBootLoaderDialogue()) return false; // the status window stays to the sender's end
    closePreparingStatus();
    return true;
}

void closePreparingStatus() {
    if (!g_preparingOpen) return;
    g_preparingOpen = false;
    closeReadingStatus();
}

void RunDownload(CXModemSender& sender) {
    if (!sender.hasCompletion()) sender.setCompletion([&sender] { CompleteDownload(sender); });
    sender.setRelease(closePreparingStatus);
    // 1-4: the firmware file.
    QString path;
    if (AutoUpgrade) {
        path = openUpgradeFile(sender);
        if (path.isEmpty()) return;
        DownloadActive = 1;
    } else {
        path = openChosenFile(sender);
        if (path.isEmpty()) return;
    }
    // 5: the boot loader dialogue; a failure leaves the status window to the sender's end.
    if (!PrepareDevice()) return;
    // 6: the progress window, 7: the transfer (8, the completion, runs from the sender).
    CDownloadDlg* dlg = openProgressWindow(platform::ownerWindow(sender.owner()), path, sender.fileSize());
    sender.setView(dlg);
    const bool done = sender.Run();
    sender.setView(nullptr);
    // After an unsuccessful end (its message shown) nothing should look as if it still ran.
    if (!done) delete downloadWindow();
}

void CompleteDownload(CXModemSender& sender) {
    if (QWidget* owner = platform::ownerWindow(sender.owner())) owner->repaint();
    sender.setView(nullptr);
    delete downloadWindow();
    DownloadFinished = 1;
    showReadingStatus(nullptr); // "Downloading is over, wait... "
    {
        platform::WaitCursor wait;
        waitDrawnWithoutInput(kFinishingWaitMs);
    }
    closeReadingStatus();
    showSuccess();
    platform::endProcess(kExitCode);
}

} // namespace omniset
