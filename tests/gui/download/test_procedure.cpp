// The download procedure from the General page, on the virtual clock: finding and opening
// the firmware file (open-file dialog scripted), the boot loader dialogue against a
// scripted loader, and whole transfers against the simulated adapter's engine with the
// progress window, Cancel, failures and the completion.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"
#include "core/record/adapter_commands.h"
#include "engine_adapter.h"
#include "gui/download/download.h"
#include "gui/download/download_dlg.h"
#include "gui/pages/general_page.h"
#include "gui/platform/file_dialog.h"
#include "gui/profiles/status_dialogs.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/input_guard.h"
#include "qtest_main.h"
#include "test_env.h"
#include "testkit.h"
#include "transfer_data.h"
#include "ui_script.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace omniset;
using namespace omniset::test;
using platform::BoxIcon;

namespace {

const platform::LineSettings k8N1{115200, 8, 0, 0};
constexpr int kBlock = 1024;

QString u(const char* s) { return QString::fromUtf8(s); }

const char* const kNoticeEn = "NOTICE: Not do anything else when downloading software!";
const char* const kNoticeZh = "注意：在下载软件时，请不要做任何其它操作！";
const char* const kAckErrorEn = "Communication acknowledge error when downloading!";
const char* const kAckErrorZh = "下载确认通信错误!";
const char* const kEmptyEn = "The download file is empty!";
const char* const kEmptyZh = "下载文件为空!";
const char* const kSuccessEn = "Download software to KX220 sucessfully! Please restart Omniset!";
const char* const kSuccessZh = "给KX220下载主机软件成功!请重启Omniset!";
const char* const kFailedEn = "Transfer file fail, please retry!";

QString writeFile(const QString& path, const std::string& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(data.data(), qint64(data.size()));
    return path;
}

std::string fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

QString scratch(const QString& name) { return scratchRoot() + QLatin1Char('/') + name; }

// Runs check every 50 ms of virtual time until it returns true.
void watch(VirtualClock& clock, std::function<bool()> check) {
    clock.after(50, [&clock, check] {
        if (!check()) watch(clock, check);
    });
}

QString controlText(QWidget* w, int id) {
    return res::widgetText(res::control<QWidget>(w, id));
}

// A boot loader that answers each step with its reply (echo included) and then stays
// silent; a reply can be changed or dropped per step.
struct ScriptedLoader {
    std::vector<std::string> replies{
        "at&l\r\n\r\nKX220 boot loader\r\nAre you sure to download?(Y/N)",
        "y\r\nDownload with current speed? (y/n)", "y\r\nWaiting..."};
    std::string afterWaiting; // sent 1.5 s after the last prompt (a CAN ends the transfer)
    int step = 0;
};

} // namespace

class ProcedureTests : public QObject {
    Q_OBJECT

    std::unique_ptr<VirtualClock> clock;
    std::unique_ptr<FakePorts> ports;
    std::unique_ptr<ScriptedBoxes> boxes;
    std::unique_ptr<ExitRecorder> exits;
    std::unique_ptr<EngineAdapter> engine;
    std::unique_ptr<CGeneralPage> page;
    std::deque<QString> choices; // answers of the open-file dialog; then Cancel
    std::vector<platform::OpenFileRequest> dialogs;
    ScriptedLoader loader;
    int runs = 0;

    FakeAdapter& port() { return ports->on(1); }
    std::vector<std::string> writes() const { return ports->adapters.at(1)->writes; }
    QString imagePath() const { return scratch(QStringLiteral("image-%1.dl").arg(runs)); }

    void useLoader() {
        port().respond = [this](std::string_view w, const platform::LineSettings&) {
            if (std::size_t(loader.step) >= loader.replies.size()) return std::string();
            (void)w;
            std::string reply = loader.replies[std::size_t(loader.step++)];
            if (std::size_t(loader.step) == loader.replies.size() && !loader.afterWaiting.empty())
                clock->after(1500, [this] { port().send(loader.afterWaiting, clock->tickCount()); });
            return reply;
        };
        QVERIFY(SerialOpen(1));
        port().writes.clear();
        loader.step = 0; // the open's "at\r" is not part of the dialogue
    }
    void useEngine(kx220sim::Faults faults = {}, const std::string& firmware = "2.0") {
        kx220sim::EngineSettings s;
        s.storePath = scratch(QStringLiteral("store-%1").arg(runs)).toStdString();
        s.imagePath = imagePath().toStdString();
        s.firmware = firmware;
        s.faults = faults;
        engine = std::make_unique<EngineAdapter>(*ports, 1, k8N1, s, *clock);
        QVERIFY(SerialOpen(1));
        port().writes.clear();
        port().replyDelayMs = 100; // about the time a frame takes on the line
    }
    // The manual download: the confirmation box answers OK, then the procedure runs.
    void manualDownload() { page->startDownload(); }
    QStringList boxTexts(int from = 1) const { return boxes->texts().mid(from); }

    static void removeUpgradeFiles() {
        QDir dir(platform::installationDir());
        for (const QFileInfo& f : dir.entryInfoList(QDir::Files))
            if (f.fileName().compare(QLatin1String("kx220a20.dl"), Qt::CaseInsensitive) == 0)
                QFile::remove(f.absoluteFilePath());
    }
    static QString installUpgradeFile(const QString& name, const std::string& data,
                                      const QDateTime& written) {
        const QString path = QDir(platform::installationDir()).filePath(name);
        writeFile(path, data);
        QFile f(path);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(written, QFileDevice::FileModificationTime);
        return path;
    }

  private slots:
    void init() {
        ++runs;
        clock = std::make_unique<VirtualClock>();
        ports = std::make_unique<FakePorts>();
        boxes = std::make_unique<ScriptedBoxes>();
        exits = std::make_unique<ExitRecorder>();
        choices.clear();
        dialogs.clear();
        loader = {};
        platform::setOpenFileHandler([this](const platform::OpenFileRequest& r) {
            dialogs.push_back(r);
            if (choices.empty()) return QString();
            QString c = choices.front();
            choices.pop_front();
            return c;
        });
        LanguageMode = 1;
        DownloadActive = AutoUpgrade = DownloadFinished = 0;
        page = std::make_unique<CGeneralPage>();
    }
    void cleanup() {
        delete downloadWindow();
        closeReadingStatus();
        page.reset();
        SerialClose();
        engine.reset();
        platform::setOpenFileHandler({});
        exits.reset();
        boxes.reset();
        ports.reset();
        clock.reset();
        removeUpgradeFiles();
        DownloadActive = AutoUpgrade = DownloadFinished = 0;
        LanguageMode = 1;
    }

    void theDialogProposesTheInstallationFolder() {
        useLoader();
        manualDownload();
        QCOMPARE(dialogs.size(), std::size_t(1));
        const auto& r = dialogs[0];
        QCOMPARE(r.initialPath, QDir(platform::installationDir()).filePath("kx220a20.DL"));
        QCOMPARE(r.filter, QStringLiteral("download files(*.DL)"));
        QVERIFY(r.parent == page.get());
        // Cancelled: nothing sent, no box after the confirmation, the page restored.
        QVERIFY(writes().empty());
        QCOMPARE(boxes->shown.size(), std::size_t(1));
        QCOMPARE(DownloadActive, 0);
        QVERIFY(page->isEnabled());
        QVERIFY(!exits->code);
    }

    void theRealDialogMatchesTheFilterInAnyCase() {
        const QString dir = scratch("dialog");
        QDir().mkpath(dir);
        writeFile(dir + "/a.DL", "x");
        writeFile(dir + "/b.dl", "x");
        writeFile(dir + "/c.Dl", "x");
        writeFile(dir + "/d.txt", "x");
        auto dlg = platform::makeOpenFileDialog(
            {nullptr, "Open", dir + "/kx220a20.DL", "download files(*.DL)"});
        QCOMPARE(dlg->nameFilters(), QStringList{"download files(*.DL)"});
        QCOMPARE(dlg->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dlg->defaultSuffix(), QStringLiteral("DL"));
        QCOMPARE(QDir(dlg->directory()).canonicalPath(), QDir(dir).canonicalPath());
        QVERIFY(!(dlg->filter() & QDir::CaseSensitive));
        auto* model = dlg->findChild<QAbstractItemModel*>("qt_filesystem_model");
        QVERIFY(model);
        auto* view = dlg->findChild<QAbstractItemView*>("listView");
        QVERIFY(view);
        dlg->show();
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 3);
        QStringList shown;
        for (int i = 0; i < 3; ++i) shown << view->model()->index(i, 0, view->rootIndex()).data().toString();
        shown.sort();
        QCOMPARE(shown, (QStringList{"a.DL", "b.dl", "c.Dl"}));
    }

    void manualFileFailures_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("chosen"); // then Cancel
        QTest::addColumn<QStringList>("boxes");  // after the confirmation
        QTest::addColumn<bool>("dialogueStarts");
        const QString missing = scratch("missing.DL");
        const QString folder = scratch("folder.DL");
        QDir().mkpath(folder);
        const QString empty = writeFile(scratch("empty.DL"), "");
        const QString good = writeFile(scratch("good.DL"), randomBytes(3000, 1));
        QTest::newRow("cancelled") << 1 << QStringList{} << QStringList{} << false;
        QTest::newRow("missing, again") << 1 << QStringList{missing} << QStringList{} << false;
        QTest::newRow("folder, again") << 1 << QStringList{folder} << QStringList{} << false;
        QTest::newRow("empty, again") << 1 << QStringList{empty} << QStringList{u(kEmptyEn)} << false;
        QTest::newRow("empty, zh") << 0 << QStringList{empty} << QStringList{u(kEmptyZh)} << false;
        // The dialogue then ends at its first step (no prompt): only the error box.
        QTest::newRow("missing, folder, empty, good")
            << 1 << QStringList{missing, folder, empty, good}
            << QStringList{u(kEmptyEn), u(kAckErrorEn)} << true;
    }
    void manualFileFailures() {
        QFETCH(int, language);
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, boxes);
        QFETCH(bool, dialogueStarts);
        LanguageMode = language;
        loader.replies = {""};
        useLoader();
        for (const auto& c : chosen) choices.push_back(c);

        manualDownload();

        QCOMPARE(int(dialogs.size()), int(chosen.size()) + (dialogueStarts ? 0 : 1));
        QCOMPARE(boxTexts(), boxes);
        for (const auto& b : this->boxes->shown) {
            QVERIFY(b.owner == nullptr);
            QCOMPARE(b.caption, QStringLiteral("Omniset"));
        }
        if (dialogueStarts) QCOMPARE(writes(), (std::vector<std::string>{"at&l\r\n"}));
        else QVERIFY(writes().empty());
        QVERIFY(!readingStatus());
        QVERIFY(!downloadWindow());
        QCOMPARE(DownloadActive, 0);
        QVERIFY(page->isEnabled());
    }

    void bootLoaderDialogue_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("missingStep"); // 0: all prompts come
        QTest::addColumn<QByteArray>("replacement"); // the reply of that step instead
        QTest::newRow("no first prompt") << 1 << 1 << QByteArray("at&l\r\n\r\nERROR\r\n");
        QTest::newRow("no second prompt") << 1 << 2 << QByteArray("");
        QTest::newRow("no third prompt") << 1 << 3 << QByteArray("y\r\nWaiting..");
        QTest::newRow("second prompt in capitals")
            << 1 << 2 << QByteArray("y\r\nDownload WITH CURRENT SPEED? (Y/N)");
        QTest::newRow("first prompt in other case")
            << 1 << 1 << QByteArray("\r\nare you sure to download?(y/n)");
        QTest::newRow("a zero byte ends the reply")
            << 1 << 1 << QByteArray("\r\n\0Are you sure to download?(Y/N)", 33);
        QTest::newRow("no second prompt, zh") << 0 << 2 << QByteArray("");
        QTest::newRow("all prompts, in other text") << 1 << 0 << QByteArray();
    }
    void bootLoaderDialogue() {
        QFETCH(int, language);
        QFETCH(int, missingStep);
        QFETCH(QByteArray, replacement);
        LanguageMode = language;
        if (missingStep) loader.replies[std::size_t(missingStep - 1)] = replacement.toStdString();
        loader.afterWaiting = std::string(1, char(kx220::kCAN)); // a good dialogue ends soon
        useLoader();
        choices.push_back(writeFile(scratch("fw.DL"), randomBytes(2000, 2)));
        struct Seen {
            QString text;
            bool statusOpen;
            QString statusText, statusCaption;
            int downloadActive;
            std::size_t writes;
        };
        std::vector<Seen> seen;
        boxes->onShow = [&](const platform::BoxRequest& r) {
            auto* s = readingStatus();
            seen.push_back({r.text, s != nullptr, s ? controlText(s, 1194) : QString(),
                            s ? s->windowTitle() : QString(), DownloadActive, writes().size()});
        };

        manualDownload();

        const int steps = missingStep ? missingStep : 3;
        std::vector<std::string> expected{"at&l\r\n", "y", "y"};
        expected.resize(std::size_t(steps));
        auto sent = writes();
        sent.resize(std::min<std::size_t>(sent.size(), 3));
        QCOMPARE(sent, expected);
        QVERIFY(port().purges >= steps);
        QStringList texts;
        for (const auto& s : seen) texts << s.text;
        QStringList want{texts.value(0)}; // the confirmation
        if (steps > 1 || !missingStep) want << u(language ? kNoticeEn : kNoticeZh);
        if (missingStep) want << u(language ? kAckErrorEn : kAckErrorZh);
        else want << u(kFailedEn); // the receiver's CAN
        QCOMPARE(texts, want);
        for (std::size_t i = 1; i < seen.size() - (missingStep ? 0 : 1); ++i) {
            QVERIFY(seen[i].statusOpen);
            QCOMPARE(seen[i].statusText, u(language ? "Prepare downloading, wait..." : "正在准备下载，请等待···"));
            QCOMPARE(seen[i].statusCaption, u(language ? "Omniset is prepared for downloading KX220 software"
                                                       : "Omniset给KX220主机下载软件"));
            QCOMPARE(seen[i].downloadActive, 1);
        }
        if (steps > 1 || !missingStep) {
            QCOMPARE(seen[1].writes, std::size_t(1));
            QVERIFY(boxes->shown[1].icon == BoxIcon::Warning);
            QVERIFY(boxes->shown[1].owner == nullptr);
        }
        if (missingStep) {
            QVERIFY(boxes->shown.back().icon == BoxIcon::None);
            QVERIFY2(!downloadWindow(), "no progress window after a failed dialogue");
        } else {
            QVERIFY2(!downloadWindow(), "the transfer ran, was refused and its window closed");
            QVERIFY(!seen.back().statusOpen);
        }
        QVERIFY2(!readingStatus(), "the status window is closed once the sender is gone");
        QCOMPARE(DownloadActive, 0);
        QVERIFY(page->isEnabled());
        QVERIFY(!exits->code);
    }

    void findsTheUpgradeFile() {
        const QString dir = scratch("install");
        QDir().mkpath(dir);
        QCOMPARE(findUpgradeFile(dir), QString());
        const QDateTime t0 = QDateTime::currentDateTime().addDays(-2);
        auto put = [&](const QString& name, const QDateTime& t) {
            writeFile(dir + "/" + name, "x");
            QFile f(dir + "/" + name);
            f.open(QIODevice::ReadWrite);
            f.setFileTime(t, QFileDevice::FileModificationTime);
        };
        put("kx220a20.dl.bak", t0.addSecs(500));
        put("xkx220a20.dl", t0.addSecs(500));
        QDir().mkpath(dir + "/kx220a20.dl"); // a folder of that name is no file
        QCOMPARE(findUpgradeFile(dir), QString());
        put("KX220A20.DL", t0);
        QCOMPARE(findUpgradeFile(dir), dir + "/KX220A20.DL");
        put("Kx220a20.Dl", t0.addSecs(60));
        QCOMPARE(findUpgradeFile(dir), dir + "/Kx220a20.Dl");
        put("kX220A20.dL", t0.addSecs(30));
        QCOMPARE(findUpgradeFile(dir), dir + "/Kx220a20.Dl");
        put("kx220a20.DL", t0.addSecs(60)); // same time: the later one in name order
        QCOMPARE(findUpgradeFile(dir), dir + "/kx220a20.DL");
    }

    void automaticUpgrade_data() {
        QTest::addColumn<QStringList>("files"); // name:size:age in minutes
        QTest::addColumn<int>("expectedSize");  // size of the file sent, -1 for none
        QTest::newRow("no file") << QStringList{} << -1;
        QTest::newRow("empty file") << QStringList{"kx220a20.dl:0:1"} << -1;
        QTest::newRow("upper-case name") << QStringList{"KX220A20.DL:1500:1"} << 1500;
        QTest::newRow("the newest of two")
            << QStringList{"kx220a20.dl:2100:5", "KX220A20.DL:1100:1"} << 1100;
    }
    void automaticUpgrade() {
        QFETCH(QStringList, files);
        QFETCH(int, expectedSize);
        useEngine({}, "1.62");
        std::string sent;
        for (const QString& f : files) {
            const QStringList p = f.split(':');
            const std::string data = randomBytes(std::size_t(p[1].toInt()), unsigned(p[1].toInt()));
            if (p[1].toInt() == expectedSize) sent = data;
            installUpgradeFile(p[0], data, QDateTime::currentDateTime().addSecs(-60 * p[2].toInt()));
        }
        int activeAtNotice = -1, autoAtNotice = -1;
        boxes->onShow = [&](const platform::BoxRequest& r) {
            if (r.text == u(kNoticeEn)) activeAtNotice = DownloadActive, autoAtNotice = AutoUpgrade;
        };
        QWidget sheet;

        const bool opened = page->initialise(&sheet);

        if (expectedSize < 0) {
            QVERIFY(opened);
            QCOMPARE(boxes->shown.size(), std::size_t(1));
            QVERIFY(dialogs.empty());
            for (const auto& w : writes()) QVERIFY(w.starts_with("ati"));
            QVERIFY(!exits->code);
        } else {
            QVERIFY2(dialogs.empty(), "no open-file dialog in an automatic upgrade");
            QCOMPARE(activeAtNotice, 1);
            QCOMPARE(autoAtNotice, 1);
            QCOMPARE(exits->code, std::optional<int>(0));
            QCOMPARE(boxTexts(), (QStringList{u(kNoticeEn), u(kSuccessEn)}));
            QVERIFY(fileBytes(imagePath()) == expectedImage(sent));
            QCOMPARE(engine->engine().firmware(), std::string("2.0"));
        }
        QCOMPARE(AutoUpgrade, 0);
        QCOMPARE(DownloadActive, 0);
    }

    void aWholeTransferEndsTheProgram() {
        useEngine();
        const std::string data = randomBytes(1536, 3);
        const QString fw = writeFile(scratch("fw1536.DL"), data);
        choices.push_back(fw);
        struct {
            bool seen = false;
            QString path, size, packet, resend, check;
            int min = -1, max = -1, active = -1;
            bool visible = false, enabled = false;
        } win;
        int maxBar = -1;
        struct {
            QString text, caption;
            std::uint64_t shownAt = 0;
            bool guarded = false;
        } closing;
        QWidget bystander; // any window of the program
        bystander.show();
        std::uint64_t successAt = 0;
        bool statusAtSuccess = true, windowAtSuccess = true;
        watch(*clock, [&] {
            if (auto* w = downloadWindow()) {
                if (!win.seen && w->m_nPacket >= 1) {
                    win = {true, controlText(w, 1095), controlText(w, 1097), controlText(w, 1096),
                           controlText(w, 1098), controlText(w, 1100), w->progressBar()->minimum(),
                           w->progressBar()->maximum(), DownloadActive, w->isVisible(), w->isEnabled()};
                }
                maxBar = std::max(maxBar, w->progressBar()->value());
            }
            if (auto* s = readingStatus(); s && DownloadFinished && !closing.shownAt) {
                closing = {controlText(s, 1194), s->windowTitle(), clock->tickCount(),
                           InputGuard::isGuarded(&bystander)};
            }
            return exits->code.has_value();
        });
        boxes->onShow = [&](const platform::BoxRequest& r) {
            if (r.text != u(kSuccessEn)) return;
            successAt = clock->tickCount();
            statusAtSuccess = readingStatus() != nullptr;
            windowAtSuccess = downloadWindow() != nullptr;
        };
        const int dispatchesBefore = clock->dispatches;

        manualDownload();

        QVERIFY(win.seen);
        QCOMPARE(win.path, fw);
        QCOMPARE(win.size, QStringLiteral("1"));
        QCOMPARE(win.min, 0);
        QCOMPARE(win.max, 1);
        QCOMPARE(win.check, QStringLiteral("CRC"));
        QCOMPARE(win.packet, QStringLiteral("1"));
        QCOMPARE(win.resend, QStringLiteral("0"));
        QCOMPARE(win.active, 1);
        QVERIFY(win.visible);
        QVERIFY2(win.enabled, "Cancel works although the page is disabled");
        QCOMPARE(maxBar, 1);
        QCOMPARE(closing.text, QStringLiteral("Downloading is over, wait... "));
        QCOMPARE(closing.caption, QStringLiteral("Omniset is prepared for downloading KX220 software"));
        QVERIFY2(closing.guarded, "no window takes input during the wait");
        QVERIFY(!InputGuard::isGuarded(&bystander));
        // The status window is seen within one 50 ms watch period of its showing.
        QVERIFY(successAt + 50 >= closing.shownAt + 10000);
        QVERIFY(successAt < closing.shownAt + 10100);
        QVERIFY2(clock->dispatches > dispatchesBefore + 10, "the wait dispatched events");
        QVERIFY(!statusAtSuccess);
        QVERIFY(!windowAtSuccess);
        QCOMPARE(DownloadFinished, 1);
        QCOMPARE(exits->code, std::optional<int>(0));
        QCOMPARE(boxTexts(), (QStringList{u(kNoticeEn), u(kSuccessEn)}));
        QVERIFY(boxes->shown.back().icon == BoxIcon::Information);
        QVERIFY(fileBytes(imagePath()) == expectedImage(data));
        QCOMPARE(fileBytes(imagePath()).size(), std::size_t(3 * kBlock));
    }

    // However a transfer fails, the user is told, and the progress window closes after
    // the message (a lost port: tests/faults).
    void aFailedTransferIsToldAndClosesTheWindow_data() {
        QTest::addColumn<QString>("receiver");
        QTest::newRow("CAN at block 3") << "cancel";
        QTest::newRow("CAN before the first block") << "refuse";
        QTest::newRow("the eleventh resend") << "nak";
    }
    void aFailedTransferIsToldAndClosesTheWindow() {
        QFETCH(QString, receiver);
        if (receiver == "cancel") {
            kx220sim::Faults f;
            f.canAtBlock = 3;
            useEngine(f);
        } else {
            loader.afterWaiting = receiver == "refuse" ? std::string(1, char(kx220::kCAN)) : "C";
            useLoader();
            auto inner = port().respond;
            port().respond = [inner](std::string_view w, const platform::LineSettings& s) {
                return w.size() == 1029 ? std::string(1, char(kx220::kNAK)) : inner(w, s);
            };
        }
        choices.push_back(writeFile(scratch("fw5k.DL"), randomBytes(5 * kBlock, 4)));
        bool windowAtFailure = false;
        boxes->onShow = [&](const platform::BoxRequest& r) {
            if (r.text == u(kFailedEn)) windowAtFailure = downloadWindow() && downloadWindow()->isVisible();
        };

        manualDownload();

        QCOMPARE(boxTexts(), (QStringList{u(kNoticeEn), u(kFailedEn)}));
        QVERIFY2(windowAtFailure, "the message comes first");
        QVERIFY(!downloadWindow());
        QCOMPARE(DownloadActive, 0);
        QVERIFY(page->isEnabled());
        QVERIFY(!exits->code);
    }

    // The automatic upgrade runs before the sheet is ever shown: its progress window is
    // centred on the screen; a file under 1 K has a bar that ends full.
    void theProgressWindowOfAnEarlyUpgradeWithASmallFile() {
        useEngine({}, "1.62");
        installUpgradeFile("kx220a20.dl", randomBytes(700, 6), QDateTime::currentDateTime());
        QPoint offset(1000, 1000);
        int min = -1, max = -1, maxBar = -1;
        watch(*clock, [&] {
            if (auto* w = downloadWindow()) {
                const QRect screen = w->screen()->availableGeometry();
                offset = w->geometry().center() - screen.center();
                min = w->progressBar()->minimum();
                max = w->progressBar()->maximum();
                maxBar = std::max(maxBar, w->progressBar()->value());
            }
            return exits->code.has_value();
        });
        QWidget sheet; // never shown

        page->initialise(&sheet);

        QCOMPARE(exits->code, std::optional<int>(0));
        QVERIFY(std::abs(offset.x()) <= 2 && std::abs(offset.y()) <= 2);
        QCOMPARE(min, 0);
        QCOMPARE(max, 1);
        QCOMPARE(maxBar, 1);
    }

    void cancelFromTheProgressWindow() {
        useEngine();
        choices.push_back(writeFile(scratch("fw8k.DL"), randomBytes(8 * kBlock, 5)));
        bool clicked = false;
        watch(*clock, [&] {
            auto* w = downloadWindow();
            if (!w || w->m_nPacket < 3) return false;
            // Queued like a user's click: it runs when the loop dispatches events.
            QMetaObject::invokeMethod(res::control<QPushButton>(w, 2), "click", Qt::QueuedConnection);
            clicked = true;
            return true;
        });

        manualDownload();

        QVERIFY(clicked);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!downloadWindow());
        int frames = 0;
        for (const auto& w : writes()) {
            QVERIFY(w != std::string(1, char(kx220::kEOT)));
            frames += w.size() == 1029;
        }
        QVERIFY(frames >= 3 && frames <= 4);
        QCOMPARE(DownloadActive, 0);
        QVERIFY(!exits->code);
        QCOMPARE(boxTexts(), QStringList{u(kNoticeEn)});
        QVERIFY(page->isEnabled());
    }

    void progressWindowTexts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        struct Row {
            int id;
            const char* zh;
            const char* en;
        };
        const Row rows[] = {
            {1197, "下载文件：", "Filename:"},
            {1198, "文件大小：", "File size:"},
            {1199, "正在发送的数据包：", "Sending packet number："},
            {1200, "重试次数：", "Resend:"},
            {1201, "错误检查：", "Error check:"},
            {2, "取消", "Cancel"},
            {0, "1k-XModem下载,此时不要做任何其它操作!",
             "1k-XModem download,don't do any other manipulates now!"},
        };
        for (const auto& r : rows) {
            QTest::addRow("%d en", r.id) << 1 << r.id << u(r.en);
            QTest::addRow("%d zh", r.id) << 0 << r.id << u(r.zh);
        }
    }
    void progressWindowTexts() {
        QFETCH(int, language);
        QFETCH(int, id);
        QFETCH(QString, text);
        auto* w = new CDownloadDlg(page.get());
        LanguageMode = 1 - language;
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        LanguageMode = language;
        w->repaint();
        QCOMPARE(id ? controlText(w, id) : w->windowTitle(), text);
        // Before any value is set: error check "CRC", the numbers 0, the path empty.
        QCOMPARE(controlText(w, 1100), QStringLiteral("CRC"));
        QCOMPARE(controlText(w, 1095), QString());
        for (int n : {1096, 1097, 1098}) QCOMPARE(controlText(w, n), QStringLiteral("0"));
        delete w;
    }

    void escapeAndTheCloseBoxCancel() {
        for (int how = 0; how < 2; ++how) {
            QPointer<CDownloadDlg> w = new CDownloadDlg(page.get());
            w->show();
            DownloadActive = 1;
            if (how == 0) QTest::keyClick(w, Qt::Key_Escape);
            else w->close();
            QCOMPARE(DownloadActive, 0);
            QVERIFY(!w->isVisible());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!w);
        }
    }
};

OMNISET_QTEST_MAIN(ProcedureTests)
#include "test_procedure.moc"
