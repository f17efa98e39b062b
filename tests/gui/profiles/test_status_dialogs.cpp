// The status windows: their texts by the download flags and the language, one window of
// each kind at a time, painted before the caller goes on, deaf to input, closed cleanly.
#include "qtest_main.h"

#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/platform/cursor.h"
#include "gui/profiles/status_dialogs.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/window_texts.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>

using namespace omniset;

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

QString lineOf(QWidget* w, int id) {
    return res::control<QLabel>(w, id)->text();
}

template <class W> int topLevelCount() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(w) && dynamic_cast<W*>(w)) ++n;
    return n;
}

// Counts the paint events that reach windows of type W.
template <class W> struct PaintCounter : QObject {
    int paints = 0;
    PaintCounter() { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && dynamic_cast<W*>(o)) ++paints;
        return false;
    }
};

} // namespace

class StatusDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        closeReadingStatus();
        closeSavingStatus();
        DownloadActive = DownloadFinished = 0;
        LanguageMode = 1;
    }
    void readingTexts_data();
    void readingTexts();
    void savingTexts_data();
    void savingTexts();
    void savingHoldsTheWaitCursor();
    void oneOfEachAtATime();
    void paintedBeforeTheCallerGoesOn();
    void ignoresInput();
    void goesWithItsParent();
};

void StatusDialogsTest::readingTexts_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("finished");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("line");
    const QString dlEn = u("Omniset is prepared for downloading KX220 software");
    const QString dlZh = u("Omniset给KX220主机下载软件");
    QTest::newRow("reading en") << 1 << 0 << 0 << u("Reading profile")
                                << u("Reading profile, wait...");
    QTest::newRow("reading zh") << 0 << 0 << 0 << u("读取配置") << u("正在读取配置，请等待···");
    QTest::newRow("reading en, finished alone")
        << 1 << 0 << 1 << u("Reading profile") << u("Reading profile, wait...");
    QTest::newRow("prepare en") << 1 << 1 << 0 << dlEn << u("Prepare downloading, wait...");
    QTest::newRow("prepare zh") << 0 << 1 << 0 << dlZh << u("正在准备下载，请等待···");
    QTest::newRow("finishing en") << 1 << 1 << 1 << dlEn << u("Downloading is over, wait... ");
    QTest::newRow("finishing zh") << 0 << 1 << 1 << dlZh << u("正在结束下载，请等待···");
}

void StatusDialogsTest::readingTexts() {
    QFETCH(int, language);
    QFETCH(int, active);
    QFETCH(int, finished);
    QFETCH(QString, caption);
    QFETCH(QString, line);
    // Shown with the flags set...
    LanguageMode = language;
    DownloadActive = active;
    DownloadFinished = finished;
    CReadingDlg* d = showReadingStatus(nullptr);
    QCOMPARE(d->windowTitle(), caption);
    QCOMPARE(lineOf(d, 1194), line);
    closeReadingStatus();
    // ... and set while an earlier window is open: the next repaint shows them.
    LanguageMode = 1 - language;
    DownloadActive = DownloadFinished = 0;
    d = showReadingStatus(nullptr);
    LanguageMode = language;
    DownloadActive = active;
    DownloadFinished = finished;
    d->repaint();
    QCOMPARE(d->windowTitle(), caption);
    QCOMPARE(lineOf(d, 1194), line);
}

void StatusDialogsTest::savingTexts_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("line");
    QTest::newRow("en") << 1 << u("Saving Profile") << u("Saving profile, wait···");
    QTest::newRow("zh") << 0 << u("保存配置") << u("正在保存配置，请等待···");
}

void StatusDialogsTest::savingTexts() {
    QFETCH(int, language);
    QFETCH(QString, caption);
    QFETCH(QString, line);
    LanguageMode = 1 - language;
    CSavingDlg* d = showSavingStatus(nullptr);
    LanguageMode = language;
    d->repaint();
    QCOMPARE(d->windowTitle(), caption);
    QCOMPARE(lineOf(d, 1215), line);
}

void StatusDialogsTest::savingHoldsTheWaitCursor() {
    QVERIFY(!QGuiApplication::overrideCursor());
    showSavingStatus(nullptr);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
        platform::ArrowCursor box; // a box over it has the arrow
        QVERIFY(!QGuiApplication::overrideCursor());
    }
    QVERIFY(QGuiApplication::overrideCursor());
    platform::showArrowCursor(); // the record encoded: the arrow, until the next repaint
    QVERIFY(!QGuiApplication::overrideCursor());
    savingStatus()->repaint();
    QVERIFY(QGuiApplication::overrideCursor());
    closeSavingStatus();
    QVERIFY(!QGuiApplication::overrideCursor()); // one cursor taken, one given back
    // The reading window sets no cursor.
    showReadingStatus(nullptr);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void StatusDialogsTest::oneOfEachAtATime() {
    QWidget sheet;
    CReadingDlg* r = showReadingStatus(&sheet);
    QCOMPARE(showReadingStatus(&sheet), r);
    CSavingDlg* s = showSavingStatus(&sheet);
    QCOMPARE(showSavingStatus(nullptr), s);
    QCOMPARE(readingStatus(), r);
    QCOMPARE(savingStatus(), s);
    QCOMPARE(topLevelCount<CReadingDlg>(), 1);
    QCOMPARE(topLevelCount<CSavingDlg>(), 1);
    QVERIFY(r->isVisible() && s->isVisible());

    QPointer<CReadingDlg> watch(r);
    closeReadingStatus();
    QVERIFY(!watch);
    QVERIFY(!readingStatus());
    QCOMPARE(savingStatus(), s); // the other kind is not touched
    closeReadingStatus();        // nothing to close: no harm
    closeSavingStatus();
    QVERIFY(!savingStatus());
    QCOMPARE(topLevelCount<CReadingDlg>() + topLevelCount<CSavingDlg>(), 0);
    // A new one can be shown after the old one closed.
    QVERIFY(showReadingStatus(&sheet) != nullptr);
    QCOMPARE(topLevelCount<CReadingDlg>(), 1);
}

void StatusDialogsTest::paintedBeforeTheCallerGoesOn() {
    PaintCounter<CReadingDlg> reading;
    showReadingStatus(nullptr);
    QVERIFY(reading.paints > 0);
    PaintCounter<CSavingDlg> saving;
    showSavingStatus(nullptr);
    QVERIFY(saving.paints > 0);
}

void StatusDialogsTest::ignoresInput() {
    CReadingDlg* r = showReadingStatus(nullptr);
    CSavingDlg* s = showSavingStatus(nullptr);
    for (QDialog* d : {static_cast<QDialog*>(r), static_cast<QDialog*>(s)}) {
        QTest::keyClick(d, Qt::Key_Escape);
        QVERIFY(d->isVisible());
        QVERIFY(!d->close());
        QVERIFY(d->isVisible());
        QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(d->windowFlags() & Qt::WindowSystemMenuHint));
    }
    QCOMPARE(readingStatus(), r);
    QCOMPARE(savingStatus(), s);
}

void StatusDialogsTest::goesWithItsParent() {
    auto* sheet = new QWidget;
    showReadingStatus(sheet);
    showSavingStatus(sheet);
    delete sheet;
    QVERIFY(!readingStatus());
    QVERIFY(!savingStatus());
    QVERIFY(!QGuiApplication::overrideCursor());
}

OMNISET_QTEST_MAIN(StatusDialogsTest)
#include "test_status_dialogs.moc"
