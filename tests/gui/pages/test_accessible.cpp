// Every control of every window has an accessible name, in both languages: walks the
// controls of each window through QAccessible, checks each name, checks that a control
// named by a label carries that label's text of the current language (or, for a drop-down
// list, whose name on Linux is its current item, has that label as its Label relation),
// that radio buttons are announced as such, and prints the figure "controls named /
// controls" per window.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "gui/app/prop_sheet.h"
#include "gui/download/download_dlg.h"
#include "gui/link/detection_dialog.h"
#include "gui/pages/dataport_adv.h"
#include "gui/pages/general_page.h"
#include "gui/pages/port_pages.h"
#include "gui/pages/teladv.h"
#include "gui/profiles/profile_dialogs.h"
#include "gui/profiles/status_dialogs.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/data_exchange.h"
#include "qtest_main.h"
#include "testkit.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include <functional>
#include <memory>

using namespace omniset;
using namespace omniset::test;

namespace {

QString accessibleName(QObject* object) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(object);
    return i ? i->text(QAccessible::Name) : QString();
}

// A namer's text as the name starts with it: without a closing colon.
QString namerPrefix(QWidget* window, int namer) {
    if (namer <= 0) return {};
    QString t = res::widgetText(res::control<QWidget>(window, namer)).trimmed();
    while (t.endsWith(u':') || t.endsWith(QChar(0xFF1A))) t.chop(1);
    return t.trimmed();
}

// The texts of the labels that label the control (a label whose buddy it is): on Linux a
// drop-down list's name is its current item, and the screen reader reads the label from
// this relation.
QStringList labelledBy(QObject* object) {
    QStringList out;
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(object);
    if (!i) return out;
    for (const auto& [label, relation] : i->relations(QAccessible::Label))
        out << label->text(QAccessible::Name);
    return out;
}

struct Figure {
    int named = 0;
    int controls = 0;
    QStringList unnamed;
};

// The window's own controls (those its template or its code registered), and for a sheet
// the tabs of its tab widget.
Figure walk(QWidget* window) {
    Figure f;
    for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(tabs->tabBar());
            for (int i = 0; bar && i < bar->childCount(); ++i) {
                ++f.controls;
                if (bar->child(i)->text(QAccessible::Name).isEmpty()) f.unnamed << QStringLiteral("tab %1").arg(i);
                else ++f.named;
            }
            continue;
        }
        // A control the window never shows (the sheet's hidden Apply) is no control of it.
        if (!w->property("controlId").isValid() || !w->isVisibleTo(window)) continue;
        ++f.controls;
        const QString name = accessibleName(w);
        const QString expected = namerPrefix(window, res::namedBy(w));
        const QString id = QString::number(res::controlId(w));
        const bool labelled = !expected.isEmpty() && labelledBy(w).join(u'|').contains(expected);
        const bool radio = qobject_cast<QRadioButton*>(w);
        if (name.isEmpty()) f.unnamed << id;
        else if (radio && QAccessible::queryAccessibleInterface(w)->role() != QAccessible::RadioButton)
            f.unnamed << id + QStringLiteral(" (a radio button not announced as one)");
        else if (!name.startsWith(expected) && !labelled)
            f.unnamed << id + QStringLiteral(" (\"%1\", not \"%2\")").arg(name, expected);
        else ++f.named;
    }
    return f;
}

} // namespace

class AccessibleTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VirtualClock> clock;
    std::unique_ptr<FakePorts> ports;
    std::unique_ptr<ScriptedBoxes> boxes;

    // Shows the window in each language and checks every control's name.
    void check(const char* what, QWidget* window, const std::function<void()>& show) {
        for (int mode : {0, 1}) {
            LanguageMode = mode;
            show();
            window->repaint(); // the repaint sets the texts and the names that follow them
            const Figure f = walk(window);
            qInfo("%s (%s): %d named / %d controls", what, mode ? "English" : "Chinese", f.named,
                  f.controls);
            QVERIFY2(f.controls > 0, what);
            QVERIFY2(f.unnamed.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(what, f.unnamed.join(u", "))));
        }
    }

  private slots:
    void init() {
        clock = std::make_unique<VirtualClock>();
        ports = std::make_unique<FakePorts>();
        ports->on(1).respond = [](std::string_view, const platform::LineSettings&) { return ""; };
        QVERIFY(SerialOpen(1));
        boxes = std::make_unique<ScriptedBoxes>();
        DownloadActive = 0;
    }
    void cleanup() {
        SerialClose();
        boxes.reset();
        ports.reset();
        clock.reset();
        LanguageMode = 1;
    }

    void sheetPagesAndAdvancedDialogs() {
        CPropSheet sheet(QStringLiteral("sheet"));
        AllocateProfile(kLongProfileLength);
        sheet.button(12321)->hide(); // Apply: hidden by the sheet's initialisation
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        check("sheet", &sheet, [] {});
        QWidget* pages[] = {sheet.generalPage(), sheet.telPortPage(), sheet.dataPortPage()};
        const char* names[] = {"General information page", "Telephone port page", "Data port page"};
        for (int i = 0; i < 3; ++i)
            check(names[i], pages[i], [&] { sheet.tabs()->setCurrentWidget(pages[i]); });
        CDataPortAdvDlg dataAdv(*sheet.dataPortPage());
        check("data port advanced dialog", &dataAdv, [&] { dataAdv.show(); });
        dataAdv.hide();
        CTelAdvDlg telAdv(*sheet.telPortPage());
        check("telephone port advanced dialog", &telAdv, [&] { telAdv.show(); });
        telAdv.hide();
    }

    void smallDialogsAndStatusWindows() {
        int confirmed = 0;
        CLoadProfileDlg load(nullptr, confirmed);
        check("load profile", &load, [&] { load.show(); });
        CSaveProfileDlg save(nullptr, confirmed);
        check("save profile", &save, [&] { save.show(); });
        CCurrentProfileDlg current(nullptr, confirmed);
        check("current profile", &current, [&] { current.show(); });
        CReadingDlg reading(nullptr);
        check("reading status", &reading, [&] { reading.show(); });
        CSavingDlg saving(nullptr);
        check("saving status", &saving, [&] { saving.show(); });
        CDownloadDlg download(nullptr);
        check("download progress", &download, [&] { download.show(); });
        // Shown but never given the event loop, so its scan does not start.
        CDetectDlg detect;
        check("detection", &detect, [&] { detect.show(); });
    }

    // A label showing a value is named by the label beside it and the value it shows.
    void aValueIsNamedByItsLabelAndItself() {
        LanguageMode = 1;
        CPropSheet sheet(QStringLiteral("sheet"));
        QWidget* page = sheet.generalPage();
        res::applyTexts(page, res::kGeneralTexts);
        QCOMPARE(accessibleName(res::control<QLabel>(page, 1208)), QStringLiteral("ISDN Port Type"));
        QString version = QStringLiteral("V2.1");
        DataExchange(page, false).text(1210, version);
        QCOMPARE(accessibleName(res::control<QLabel>(page, 1210)), QStringLiteral("Version Number: V2.1"));
    }
};

OMNISET_QTEST_MAIN(AccessibleTest)
#include "test_accessible.moc"
