// Dialog templates and their builder: every window builds, every control is reachable by
// its identifier with the right kind, the geometry follows the dialog-unit rules and the
// given positions, layouts fit in both languages, and the texts switch language without
// touching unchanged texts.
#include "qtest_main.h"

#include "gui/res/dialog_builder.h"
#include "gui/res/program_icon.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <memory>
#include <set>
#include <vector>

using namespace omniset;
using namespace omniset::res;

Q_DECLARE_METATYPE(const omniset::res::DialogTemplate*)

namespace {

// A window and the texts it sets on repaint; templateOnly are labelled controls whose
// template text is never replaced.
struct WindowCase {
    const DialogTemplate* tpl;
    std::vector<TextTable> tables;
    ItemTable items;
    std::set<int> templateOnly;
};

const std::vector<WindowCase>& windowCases() {
    static const std::vector<WindowCase> cases {
        {&kDetectTemplate, {kDetectTexts}, {}, {}},
        {&kGeneralTemplate, {kGeneralTexts}, {}, {}},
        {&kTelPortTemplate, {kTelPortTexts}, {}, {}},
        {&kDataPortTemplate, {kDataPortTexts}, kDataPortItems, {1008}},
        {&kDataAdvTemplate, {kDataAdvTexts}, kDataAdvItems, {1176}},
        {&kTelAdvTemplate, {kTelAdvTexts}, kTelAdvItems, {}},
        {&kLoadTemplate, {kLoadTexts}, kLoadItems, {}},
        {&kSaveTemplate, {kSaveTexts}, kSaveItems, {}},
        {&kCurrentTemplate, {kCurrentTexts}, {}, {}},
        {&kSavingTemplate, {kSavingTexts}, {}, {}},
        {&kReadingTemplate, {kReadingTexts, kPrepareTexts, kFinishingTexts}, {}, {}},
        {&kDownloadTemplate, {kDownloadTexts}, {}, {}},
    };
    return cases;
}

std::unique_ptr<QWidget> build(const DialogTemplate& tpl) {
    std::unique_ptr<QWidget> w;
    if (tpl.flags & Page)
        w = std::make_unique<QWidget>();
    else
        w = std::make_unique<QDialog>();
    buildWindow(w.get(), tpl);
    return w;
}

bool hasLabel(Kind k) {
    return k == Kind::StaticText || k == Kind::GroupBox || k == Kind::PushButton ||
           k == Kind::DefPushButton || k == Kind::CheckBox || k == Kind::RadioButton;
}

// The widget class each kind must produce, with the kind's own properties.
bool matchesKind(QWidget* w, const Control& c) {
    switch (c.kind) {
    case Kind::StaticText:
    case Kind::StaticValue:
    case Kind::Icon: return qobject_cast<QLabel*>(w) != nullptr;
    case Kind::GroupBox: return qobject_cast<QGroupBox*>(w) != nullptr;
    case Kind::PushButton:
    case Kind::DefPushButton: {
        auto* b = qobject_cast<QPushButton*>(w);
        return b && b->isDefault() == (c.kind == Kind::DefPushButton);
    }
    case Kind::CheckBox: return qobject_cast<QCheckBox*>(w) != nullptr;
    case Kind::RadioButton: return qobject_cast<QRadioButton*>(w) != nullptr;
    case Kind::Edit: {
        auto* e = qobject_cast<QLineEdit*>(w);
        return e && e->isReadOnly() == bool(c.style & ReadOnly) &&
               (c.maxLength == 0 || e->maxLength() == c.maxLength);
    }
    case Kind::DropList: {
        auto* box = qobject_cast<QComboBox*>(w);
        return box && !box->isEditable();
    }
    case Kind::ListBox: return qobject_cast<QListWidget*>(w) != nullptr;
    case Kind::ProgressBar: return qobject_cast<QProgressBar*>(w) != nullptr;
    }
    return false;
}

// Controls of a built window in template order (icons and frames included).
std::vector<QWidget*> builtControls(QWidget* window) {
    std::vector<QWidget*> out;
    for (QObject* o : window->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && w->property("controlId").isValid())
            out.push_back(w);
    return out;
}

int textWidth(const QWidget* w, const QString& text) {
    return w->fontMetrics().horizontalAdvance(text);
}

bool fitsWidth(int need, const QRect& r, QString* why) {
    if (need > r.width())
        *why = QStringLiteral("width %1 > %2").arg(need).arg(r.width());
    return need <= r.width();
}

bool fitsHeight(int need, const QRect& r, QString* why) {
    if (need > r.height())
        *why = QStringLiteral("height %1 > %2").arg(need).arg(r.height());
    return need <= r.height();
}

// Whether a control shows its whole text inside its rectangle.
bool textFits(QWidget* w, QString* why) {
    const QRect r = w->geometry();
    const QString text = widgetText(w);
    int need = 0;
    if (auto* l = qobject_cast<QLabel*>(w)) {
        // One line fits when the label is one character high; a taller label wraps (the
        // text layout's line is a fraction of a pixel taller than the font's height).
        const QFontMetrics fm = l->fontMetrics();
        if (r.height() < 2 * fm.height())
            return fitsWidth(fm.horizontalAdvance(text), r, why) && fitsHeight(fm.height(), r, why);
        const QRect b = fm.boundingRect(QRect(0, 0, r.width(), 1000), Qt::TextWordWrap, text);
        return fitsWidth(b.width(), r, why) && fitsHeight(b.height() - 1, r, why);
    } else if (qobject_cast<QPushButton*>(w)) {
        need = textWidth(w, text) + 6;
    } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        need = text.isEmpty() ? 14 : w->sizeHint().width();
    } else if (qobject_cast<QGroupBox*>(w)) {
        need = textWidth(w, text) + 16;
    } else if (qobject_cast<QComboBox*>(w)) {
        need = w->sizeHint().width();
    }
    return fitsWidth(need, r, why);
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(o, e);
    }
};

void addTemplateRows() {
    QTest::addColumn<const DialogTemplate*>("tpl");
    for (const DialogTemplate* t : allTemplates())
        QTest::newRow(qPrintable(QString::number(t->number))) << t;
}

void addWindowCaseRows() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < windowCases().size(); ++i)
        QTest::newRow(qPrintable(QString::number(windowCases()[i].tpl->number))) << int(i);
}

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT

private slots:
    void init() { LanguageMode = 0; }

    void baseUnitsFollowTheWindowsRounding_data();
    void baseUnitsFollowTheWindowsRounding();
    void dialogUnitsConvertToPixels_data();
    void dialogUnitsConvertToPixels();
    void knownFontGivesKnownBaseUnits();

    void everyTemplateIsListedOnce();
    void everyControlIsFoundByIdWithItsKind_data() { addTemplateRows(); }
    void everyControlIsFoundByIdWithItsKind();
    void controlsLieInsideTheirWindow_data() { addTemplateRows(); }
    void controlsLieInsideTheirWindow();
    void controlsDoNotOverlap_data() { addTemplateRows(); }
    void controlsDoNotOverlap();
    void givenSizesAndPositions_data();
    void givenSizesAndPositions();
    void givenKindsAndStyles_data();
    void givenKindsAndStyles();
    void radioGroupsFollowGroupStarts_data();
    void radioGroupsFollowGroupStarts();
    void radioIndexCanBeClearedAndSet();
    void windowFlagsFollowTheTemplate();

    void digitsOnlyEditFiltersTypingNotPasting();
    void controlsWithoutTextHaveANamer_data() { addTemplateRows(); }
    void controlsWithoutTextHaveANamer();

    void textTablesMatchTheirTemplates_data() { addWindowCaseRows(); }
    void textTablesMatchTheirTemplates();
    void applyTextsSwitchesLanguage_data() { addWindowCaseRows(); }
    void applyTextsSwitchesLanguage();
    void textsFitInBothLanguages_data() { addWindowCaseRows(); }
    void textsFitInBothLanguages();
    void unchangedTextsCauseNoRepaint();
    void itemTextsKeepSelectionAndCount();

    void programIconIsCompiledIn();
    void screenshots();
};

void TestTemplates::baseUnitsFollowTheWindowsRounding_data() {
    QTest::addColumn<int>("width52");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("baseX");
    QTest::addColumn<int>("baseY");
    QTest::newRow("6.0 -> 6") << 312 << 13 << 6 << 13;
    QTest::newRow("6.08 -> 6") << 316 << 13 << 6 << 13;
    QTest::newRow("6.5 -> 7 (half up)") << 338 << 14 << 7 << 14;
    QTest::newRow("6.62 -> 7") << 344 << 14 << 7 << 14;
    QTest::newRow("7.4 -> 7") << 385 << 16 << 7 << 16;
}

void TestTemplates::baseUnitsFollowTheWindowsRounding() {
    QFETCH(int, width52);
    QFETCH(int, height);
    QFETCH(int, baseX);
    QFETCH(int, baseY);
    const BaseUnits u = baseUnitsFromMetrics(width52, height);
    QCOMPARE(u.x, baseX);
    QCOMPARE(u.y, baseY);
}

void TestTemplates::dialogUnitsConvertToPixels_data() {
    QTest::addColumn<int>("baseX");
    QTest::addColumn<int>("baseY");
    QTest::addColumn<QRect>("dlu");
    QTest::addColumn<QRect>("pixels");
    // Each of x, y, width and height is converted on its own and rounded half up.
    QTest::newRow("6x13 classic") << 6 << 13 << QRect(14, 136, 58, 11) << QRect(21, 221, 87, 18);
    QTest::newRow("7x14 halves") << 7 << 14 << QRect(14, 136, 58, 11) << QRect(25, 238, 102, 19);
    QTest::newRow("7x14 quarter") << 7 << 14 << QRect(1, 1, 3, 5) << QRect(2, 2, 5, 9);
    QTest::newRow("page 286x225") << 7 << 14 << QRect(0, 0, 286, 225) << QRect(0, 0, 501, 394);
}

void TestTemplates::dialogUnitsConvertToPixels() {
    QFETCH(int, baseX);
    QFETCH(int, baseY);
    QFETCH(QRect, dlu);
    QFETCH(QRect, pixels);
    const QRect got = dluToPixels({dlu.x(), dlu.y(), dlu.width(), dlu.height()}, {baseX, baseY});
    QCOMPARE(got, pixels);
}

void TestTemplates::knownFontGivesKnownBaseUnits() {
    const QFont f = dialogFont(kGeneralTemplate);
    if (QFontInfo(f).family() != QLatin1String("WenQuanYi Micro Hei"))
        QSKIP("the dialog face is not installed");
    const BaseUnits u = dialogBaseUnits(f);
    QCOMPARE(u.x, 7);
    QCOMPARE(u.y, 14);
    auto page = build(kGeneralTemplate);
    QCOMPARE(page->size(), QSize(501, 394));
    QCOMPARE(control<QWidget>(page.get(), 1207)->geometry(), QRect(91, 53, 93, 14));
}

void TestTemplates::everyTemplateIsListedOnce() {
    const std::set<int> expected {130, 137, 143, 144, 145, 146, 148, 151, 152, 159, 160, 167};
    std::set<int> seen;
    for (const DialogTemplate* t : allTemplates()) {
        QVERIFY2(seen.insert(t->number).second, "template listed twice");
        QCOMPARE(findTemplate(t->number), t);
    }
    QCOMPARE(seen, expected);
    QCOMPARE(findTemplate(999), nullptr);
}

void TestTemplates::everyControlIsFoundByIdWithItsKind() {
    QFETCH(const DialogTemplate*, tpl);
    auto w = build(*tpl);
    std::set<int> ids;
    for (const Control& c : tpl->controls) {
        if (c.id == kNoId)
            continue;
        QVERIFY2(ids.insert(c.id).second, qPrintable(QStringLiteral("id %1 twice").arg(c.id)));
        QWidget* found = control<QWidget>(w.get(), c.id);
        QVERIFY2(found, qPrintable(QStringLiteral("id %1 not found").arg(c.id)));
        QCOMPARE(controlId(found), c.id);
        QVERIFY2(matchesKind(found, c), qPrintable(QStringLiteral("id %1 wrong kind").arg(c.id)));
        QCOMPARE(found->isEnabled(), !(c.style & Disabled));
    }
    QCOMPARE(builtControls(w.get()).size(), tpl->controls.size());
}

void TestTemplates::controlsLieInsideTheirWindow() {
    QFETCH(const DialogTemplate*, tpl);
    auto w = build(*tpl);
    const QRect client(QPoint(0, 0), w->size());
    for (QWidget* c : builtControls(w.get()))
        QVERIFY2(client.contains(c->geometry()),
                 qPrintable(QStringLiteral("control %1 outside").arg(controlId(c))));
}

// No two controls overlap, and a control that touches a frame lies wholly inside it.
void TestTemplates::controlsDoNotOverlap() {
    QFETCH(const DialogTemplate*, tpl);
    auto w = build(*tpl);
    std::vector<QWidget*> frames, others;
    for (QWidget* c : builtControls(w.get()))
        (qobject_cast<QGroupBox*>(c) ? frames : others).push_back(c);
    for (size_t i = 0; i < others.size(); ++i)
        for (size_t j = i + 1; j < others.size(); ++j)
            QVERIFY2(!others[i]->geometry().intersects(others[j]->geometry()),
                     qPrintable(QStringLiteral("%1 overlaps %2")
                                    .arg(controlId(others[i])).arg(controlId(others[j]))));
    for (QWidget* f : frames)
        for (QWidget* c : others)
            if (f->geometry().intersects(c->geometry()))
                QVERIFY2(f->geometry().contains(c->geometry()),
                         qPrintable(QStringLiteral("%1 straddles frame %2")
                                        .arg(controlId(c)).arg(controlId(f))));
}

void TestTemplates::givenSizesAndPositions_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("dlu");
    const auto row = [](int n, int id, QRect r) {
        QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(n).arg(id))) << n << id << r;
    };
    // id kNoId: the window's own size.
    row(137, kNoId, {0, 0, 233, 89});
    row(152, kNoId, {0, 0, 286, 225});
    row(130, kNoId, {0, 0, 293, 225});
    row(160, kNoId, {0, 0, 269, 183});
    row(152, 1202, {42, 14, 206, 73});
    row(152, 1210, {113, 49, 128, 10});
    row(152, 1217, {52, 68, 37, 11});
    row(152, 1214, {82, 146, 129, 12});
    row(152, 1205, {95, 176, 101, 17});
    row(152, 1222, {147, 201, 101, 17});
    row(130, 1149, {8, 13, 136, 181});
    row(130, 1093, {16, 74, 8, 11});
    row(130, 1041, {72, 72, 67, 12});
    row(130, 1160, {31, 92, 76, 8});
    row(130, 1039, {75, 169, 63, 12});
    row(130, 1196, {156, 75, 8, 8});
    row(130, 1143, {213, 73, 68, 12});
    row(130, 1144, {156, 169, 58, 13});
    row(130, 1104, {197, 204, 52, 14});
    row(160, 1187, {8, 9, 115, 47});
    row(160, 1128, {155, 37, 92, 11});
    row(160, 1026, {74, 89, 36, 10});
    row(160, 1190, {138, 75, 81, 9});
    row(160, 1224, {25, 131, 64, 8});
    row(160, 1096, {206, 127, 25, 13});
    row(160, 1, {81, 163, 44, 13});
    row(160, 2, {143, 163, 44, 13});
}

void TestTemplates::givenSizesAndPositions() {
    QFETCH(int, number);
    QFETCH(int, id);
    QFETCH(QRect, dlu);
    const DialogTemplate* tpl = findTemplate(number);
    QVERIFY(tpl);
    auto w = build(*tpl);
    const BaseUnits u = dialogBaseUnits(dialogFont(*tpl));
    const QRect px = dluToPixels({dlu.x(), dlu.y(), dlu.width(), dlu.height()}, u);
    if (id == kNoId) {
        QCOMPARE(QSize(tpl->width, tpl->height), dlu.size());
        QCOMPARE(w->size(), px.size());
        return;
    }
    QWidget* c = control<QWidget>(w.get(), id);
    QVERIFY(c);
    QCOMPARE(c->geometry(), px);
}

void TestTemplates::givenKindsAndStyles_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("maxLength");
    const auto row = [](int n, int id, const char* cls, int style = 0, int max = 0) {
        QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(n).arg(id)))
            << n << id << QString::fromLatin1(cls) << style << max;
    };
    row(137, 1057, "QProgressBar");
    row(137, 2, "QPushButton");
    row(152, 1208, "QLabel");
    row(152, 1206, "QPushButton");
    row(130, 1040, "QLineEdit", DigitsOnly, 15);
    row(130, 1142, "QLineEdit", DigitsOnly, 15);
    row(130, 1103, "QLineEdit", 0, 16);
    row(130, 1202, "QCheckBox");
    row(151, 1063, "QLineEdit", DigitsOnly);
    row(151, 1008, "QRadioButton", Disabled);
    row(151, 1012, "QComboBox");
    row(159, 1040, "QLineEdit", DigitsOnly, 15);
    row(159, 1199, "QLineEdit", DigitsOnly);
    row(159, 1102, "QComboBox");
    row(160, 1099, "QComboBox");
    row(160, 1095, "QLineEdit", 0, 5);
    row(160, 1225, "QLabel", AlignCenter);
    row(145, 1079, "QComboBox");
    row(146, 1081, "QComboBox");
    row(148, 1196, "QLabel");
    row(143, 1215, "QLabel");
    row(144, 1194, "QLabel");
    row(167, 1097, "QLineEdit", ReadOnly);
    row(167, 1146, "QProgressBar");
}

void TestTemplates::givenKindsAndStyles() {
    QFETCH(int, number);
    QFETCH(int, id);
    QFETCH(QString, className);
    QFETCH(int, style);
    QFETCH(int, maxLength);
    auto w = build(*findTemplate(number));
    QWidget* c = control<QWidget>(w.get(), id);
    QVERIFY(c);
    QCOMPARE(QString::fromLatin1(c->metaObject()->className()), className);
    QCOMPARE(c->isEnabled(), !(style & Disabled));
    if (auto* e = qobject_cast<QLineEdit*>(c)) {
        QCOMPARE(e->isReadOnly(), bool(style & ReadOnly));
        if (maxLength)
            QCOMPARE(e->maxLength(), maxLength);
        // The digits-only edits refuse a typed letter, the others take it.
        e->setFocus();
        QTest::keyClicks(e, "a1");
        if (!e->isReadOnly())
            QCOMPARE(e->text(), QString::fromLatin1((style & DigitsOnly) ? "1" : "a1"));
    }
    if (auto* l = qobject_cast<QLabel*>(c); l && (style & AlignCenter))
        QVERIFY(l->alignment() & Qt::AlignHCenter);
}

void TestTemplates::radioGroupsFollowGroupStarts_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QList<int>>("ids");
    const auto row = [](int n, QList<int> ids) {
        QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(n).arg(ids.first()))) << n << ids;
    };
    row(130, {1034, 1035});
    row(130, {1038, 1039});
    row(130, {1136, 1137});
    row(130, {1144, 1045});
    row(160, {1024, 1023});
    row(160, {1127, 1128});
    row(160, {1025, 1026});
    row(151, {1064, 1065});
    row(151, {1071, 1072});
    row(151, {1007, 1008});
    row(151, {1005, 1006});
    row(159, {1034, 1035});
    row(159, {1038, 1039});
    row(159, {1009, 1010});
}

// Each group holds exactly its buttons, indexed in template order, and is exclusive.
void TestTemplates::radioGroupsFollowGroupStarts() {
    QFETCH(int, number);
    QFETCH(QList<int>, ids);
    auto w = build(*findTemplate(number));
    QButtonGroup* g = radioGroup(w.get(), ids.first());
    QVERIFY(g);
    QCOMPARE(g->buttons().size(), ids.size());
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(g->button(i), control<QAbstractButton>(w.get(), ids[i]));
    QCOMPARE(radioIndex(w.get(), ids.first()), -1);
    w->show();
    for (int i = ids.size() - 1; i >= 0; --i) {
        auto* b = control<QRadioButton>(w.get(), ids[i]);
        if (!b->isEnabled())
            continue;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); // the indicator
        QCOMPARE(radioIndex(w.get(), ids.first()), i);
    }
    int checked = 0;
    for (int id : ids)
        checked += control<QRadioButton>(w.get(), id)->isChecked();
    QCOMPARE(checked, 1);
}

void TestTemplates::radioIndexCanBeClearedAndSet() {
    auto w = build(kTelPortTemplate);
    setRadioIndex(w.get(), 1034, 1);
    QVERIFY(control<QRadioButton>(w.get(), 1035)->isChecked());
    QCOMPARE(radioIndex(w.get(), 1038), -1); // the other group is untouched
    setRadioIndex(w.get(), 1034, -1);
    QCOMPARE(radioIndex(w.get(), 1034), -1);
    QVERIFY(!control<QRadioButton>(w.get(), 1035)->isChecked());
    QVERIFY(radioGroup(w.get(), 1034)->exclusive());
    setRadioIndex(w.get(), 1034, 0);
    QCOMPARE(radioIndex(w.get(), 1034), 0);
}

void TestTemplates::windowFlagsFollowTheTemplate() {
    const struct {
        const DialogTemplate* tpl;
        bool closeBox;
    } cases[] {{&kDetectTemplate, true}, {&kTelAdvTemplate, true}, {&kSavingTemplate, false},
               {&kReadingTemplate, false}};
    for (const auto& c : cases) {
        auto w = build(*c.tpl);
        QVERIFY(w->isWindow());
        QCOMPARE(bool(w->windowFlags() & Qt::WindowCloseButtonHint), c.closeBox);
        QCOMPARE(w->minimumSize(), w->maximumSize());
    }
    auto page = build(kGeneralTemplate);
    QCOMPARE(page->windowTitle(), QStringLiteral("通用信息显示"));
}

// Typing is limited to digits; pasted text arrives whole, for the window's own check.
void TestTemplates::digitsOnlyEditFiltersTypingNotPasting() {
    auto w = build(kTelPortTemplate);
    w->show();
    auto* msn = control<QLineEdit>(w.get(), 1040);
    msn->setFocus();
    QTest::keyClicks(msn, "12a3*-x4");
    QCOMPARE(msn->text(), QStringLiteral("1234"));
    QTest::keyClicks(msn, "56789012345678");
    QCOMPARE(msn->text().size(), 15);
    msn->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("12a"));
    if (QGuiApplication::clipboard()->text() != QStringLiteral("12a"))
        QSKIP("no clipboard on this platform");
    QTest::keyClick(msn, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(msn->text(), QStringLiteral("12a"));
}

void TestTemplates::textTablesMatchTheirTemplates() {
    QFETCH(int, index);
    const WindowCase& wc = windowCases()[size_t(index)];
    std::set<int> ids;
    for (const Control& c : wc.tpl->controls)
        ids.insert(c.id);
    // Every entry names a control, and the template carries the entry's Chinese text
    // (the first table of a window with several holds the template's texts).
    for (size_t t = 0; t < wc.tables.size(); ++t) {
        for (const TextEntry& e : wc.tables[t]) {
            if (e.id == kCaption) {
                if (t == 0)
                    QCOMPARE(QString::fromUtf8(wc.tpl->caption), QString::fromUtf8(e.zh));
                continue;
            }
            QVERIFY2(ids.count(e.id), qPrintable(QStringLiteral("no control %1").arg(e.id)));
            for (const Control& c : wc.tpl->controls)
                if (c.id == e.id && t == 0)
                    QCOMPARE(QString::fromUtf8(c.text), QString::fromUtf8(e.zh));
        }
    }
    // Every labelled control is relabelled, unless it keeps its template text.
    std::set<int> relabelled;
    for (const TextTable& table : wc.tables)
        for (const TextEntry& e : table)
            relabelled.insert(e.id);
    for (const Control& c : wc.tpl->controls)
        if (hasLabel(c.kind) && *c.text && c.id != kNoId && !wc.templateOnly.count(c.id))
            QVERIFY2(relabelled.count(c.id),
                     qPrintable(QStringLiteral("control %1 never relabelled").arg(c.id)));
    QVERIFY2(relabelled.count(kCaption) || (wc.tpl->flags & Page), "caption never set");
}

void TestTemplates::applyTextsSwitchesLanguage() {
    QFETCH(int, index);
    const WindowCase& wc = windowCases()[size_t(index)];
    auto w = build(*wc.tpl);
    for (const TextTable& table : wc.tables) {
        for (int mode : {1, 0, 1}) {
            LanguageMode = mode;
            applyTexts(w.get(), table);
            for (const TextEntry& e : table) {
                const QString want = QString::fromUtf8(mode ? e.en : e.zh);
                const QString got = e.id == kCaption ? w->windowTitle()
                                                     : widgetText(control<QWidget>(w.get(), e.id));
                QCOMPARE(got, want);
            }
        }
    }
}

void TestTemplates::textsFitInBothLanguages() {
    QFETCH(int, index);
    const WindowCase& wc = windowCases()[size_t(index)];
    auto w = build(*wc.tpl);
    for (const TextTable& table : wc.tables) {
        for (int mode : {0, 1}) {
            LanguageMode = mode;
            applyTexts(w.get(), table);
            applyItemTexts(w.get(), wc.items);
            for (QWidget* c : builtControls(w.get())) {
                QString why;
                QVERIFY2(textFits(c, &why),
                         qPrintable(QStringLiteral("%1 in mode %2: %3 (%4)")
                                        .arg(controlId(c)).arg(mode).arg(why, widgetText(c))));
            }
        }
    }
}

// A repaint handler sets every text each time; unchanged texts must not repaint again.
void TestTemplates::unchangedTextsCauseNoRepaint() {
    auto w = build(kDataPortTemplate);
    LanguageMode = 1;
    applyTexts(w.get(), kDataPortTexts);
    applyItemTexts(w.get(), kDataPortItems);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QTest::qWait(50);
    PaintCounter counter;
    for (QWidget* c : builtControls(w.get()))
        c->installEventFilter(&counter);

    applyTexts(w.get(), kDataPortTexts);
    applyItemTexts(w.get(), kDataPortItems);
    QTest::qWait(50);
    QCOMPARE(counter.paints, 0);

    LanguageMode = 0;
    applyTexts(w.get(), kDataPortTexts);
    QTRY_VERIFY(counter.paints > 0);
}

void TestTemplates::itemTextsKeepSelectionAndCount() {
    auto page = build(kDataPortTemplate);
    auto* proto = control<QComboBox>(page.get(), 1013);
    proto->setCurrentIndex(3);
    LanguageMode = 1;
    applyItemTexts(page.get(), kDataPortItems);
    QCOMPARE(proto->itemText(0), QStringLiteral("Character transparent"));
    QCOMPARE(proto->currentIndex(), 3);
    QCOMPARE(control<QComboBox>(page.get(), 1016)->itemText(0), QStringLiteral("None"));
    QCOMPARE(control<QComboBox>(page.get(), 1014)->itemText(7), QStringLiteral("64K"));

    // The load list starts empty, is filled once and keeps three entries.
    auto load = build(kLoadTemplate);
    auto* list = control<QComboBox>(load.get(), 1079);
    QCOMPARE(list->count(), 0);
    LanguageMode = 0;
    applyItemTexts(load.get(), kLoadItems);
    list->setCurrentIndex(2);
    for (int mode : {1, 0, 1}) {
        LanguageMode = mode;
        applyItemTexts(load.get(), kLoadItems);
    }
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->currentIndex(), 2);
    QCOMPARE(list->currentText(), QStringLiteral("Profile 1"));
}

void TestTemplates::programIconIsCompiledIn() {
    const QIcon icon = programIcon();
    QVERIFY(!icon.isNull());
    for (int side : {16, 32, 48, 256})
        QVERIFY2(icon.availableSizes().contains(QSize(side, side)), qPrintable(QString::number(side)));
    const QImage img = icon.pixmap(32, 32).toImage();
    QCOMPARE(img.size(), QSize(32, 32));
    QVERIFY(qAlpha(img.pixel(16, 24)) > 0);  // the box
    QCOMPARE(qAlpha(img.pixel(0, 31)), 0);   // a transparent corner
    auto w = build(kCurrentTemplate);
    bool shown = false;
    for (QWidget* c : builtControls(w.get()))
        if (auto* l = qobject_cast<QLabel*>(c); l && controlId(c) == kNoId)
            shown = !l->pixmap().isNull();
    QVERIFY(shown);
}

// With OMNISET_SHOTS=<dir>, every window is saved as <number>-zh.png and <number>-en.png.
void TestTemplates::screenshots() {
    const QString dir = qEnvironmentVariable("OMNISET_SHOTS");
    if (dir.isEmpty())
        QSKIP("set OMNISET_SHOTS to a directory to save the windows");
    for (const WindowCase& wc : windowCases()) {
        auto w = build(*wc.tpl);
        for (int mode : {0, 1}) {
            LanguageMode = mode;
            applyTexts(w.get(), wc.tables.front());
            applyItemTexts(w.get(), wc.items);
            const QString name = QStringLiteral("%1/%2-%3.png")
                                     .arg(dir).arg(wc.tpl->number).arg(mode ? "en" : "zh");
            QVERIFY(w->grab().save(name));
        }
    }
}

OMNISET_QTEST_MAIN(TestTemplates)
#include "test_templates.moc"

// Every control that shows no text of its own names a namer: a label of the same window
// (which is the buddy of an edit or a list), the caption or the program.
void TestTemplates::controlsWithoutTextHaveANamer() {
    QFETCH(const DialogTemplate*, tpl);
    QWidget w;
    buildWindow(&w, *tpl);
    for (const Control& c : tpl->controls) {
        const bool textless = c.kind == Kind::Edit || c.kind == Kind::DropList ||
                              c.kind == Kind::ListBox || c.kind == Kind::ProgressBar ||
                              c.kind == Kind::Icon || c.kind == Kind::StaticValue ||
                              (c.kind != Kind::StaticText && QString::fromUtf8(c.text).isEmpty());
        const QString what = QStringLiteral("control %1 of %2").arg(c.id).arg(tpl->number);
        if (!textless) {
            QVERIFY2(c.namedBy == 0, qPrintable(what));
            continue;
        }
        QVERIFY2(c.namedBy != 0, qPrintable(what + QStringLiteral(" has no namer")));
        if (c.namedBy < 0)
            continue;
        auto* label = control<QLabel>(&w, c.namedBy);
        QVERIFY2(label, qPrintable(what + QStringLiteral(": its namer is no label")));
        const bool field = c.kind == Kind::Edit || c.kind == Kind::DropList || c.kind == Kind::ListBox;
        if (field)
            QCOMPARE(label->buddy(), control<QWidget>(&w, c.id));
    }
}
