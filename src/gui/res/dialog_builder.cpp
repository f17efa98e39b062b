#include "gui/res/dialog_builder.h"

#include "gui/res/byte_text_validator.h"
#include "gui/res/digits_only_filter.h"
#include "gui/res/program_icon.h"
#include "gui/res/window_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace omniset::res {

namespace {

// One face for every window: it has the Latin and the Chinese glyphs, so that a language
// switch changes no metrics and both languages fit the same layout.
constexpr const char* kDialogFamily = "WenQuanYi Micro Hei";
constexpr const char* kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr const char* kIdProperty = "controlId";
constexpr const char* kNamedByProperty = "namedBy";

// a * b / c rounded to the nearest integer, halves away from zero (Windows MulDiv).
int mulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    const long long q = p >= 0 ? (p + c / 2) / c : (p - c / 2) / c;
    return static_cast<int>(q);
}

QString groupName(int firstId) { return QStringLiteral("radios%1").arg(firstId); }

QWidget* makeLabel(QWidget* parent, const Control& c) {
    auto* l = new QLabel(QString::fromUtf8(c.text), parent);
    Qt::Alignment h = Qt::AlignLeft;
    if (c.style & AlignCenter)
        h = Qt::AlignHCenter;
    else if (c.style & AlignRight)
        h = Qt::AlignRight;
    l->setAlignment(h | Qt::AlignTop);
    l->setWordWrap(true);
    return l;
}

// A frame drawn as Windows draws it: the top line runs through the middle of the title,
// so that the template positions (made for that look) keep their spacing.
QWidget* makeGroupBox(QWidget* parent, const Control& c) {
    auto* g = new QGroupBox(QString::fromUtf8(c.text), parent);
    const int half = g->fontMetrics().height() / 2;
    g->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); margin-top: %1px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0px 2px; background-color: palette(window); }")
                         .arg(half));
    return g;
}

QWidget* makeEdit(QWidget* parent, const Control& c) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(c.style & ReadOnly);
    if (c.maxLength > 0)
        e->setMaxLength(c.maxLength);
    if (c.style & DigitsOnly)
        installDigitsOnly(e);
    if (c.style & ByteText)
        installByteText(e);
    return e;
}

QWidget* makeDropList(QWidget* parent, const Control& c) {
    auto* box = new QComboBox(parent);
    for (const char* item : c.items)
        box->addItem(QString::fromUtf8(item));
    return box;
}

QWidget* makeButton(QWidget* parent, const Control& c) {
    auto* b = new QPushButton(QString::fromUtf8(c.text), parent);
    b->setDefault(c.kind == Kind::DefPushButton);
    return b;
}

QWidget* makeIcon(QWidget* parent, const QRect& px) {
    auto* l = new QLabel(parent);
    const int side = std::min({32, px.width(), px.height()});
    l->setPixmap(programIcon().pixmap(side, side));
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QWidget* makeProgress(QWidget* parent) {
    auto* p = new QProgressBar(parent);
    p->setTextVisible(false);
    p->setRange(0, 100);
    p->setValue(0);
    return p;
}

QWidget* makeWidget(QWidget* parent, const Control& c, const QRect& px) {
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
    case Kind::StaticText:
    case Kind::StaticValue: return makeLabel(parent, c);
    case Kind::GroupBox: return makeGroupBox(parent, c);
    case Kind::PushButton:
    case Kind::DefPushButton: return makeButton(parent, c);
    case Kind::CheckBox: return new QCheckBox(text, parent);
    case Kind::RadioButton: return new QRadioButton(text, parent);
    case Kind::Edit: return makeEdit(parent, c);
    case Kind::DropList: return makeDropList(parent, c);
    case Kind::ListBox: return new QListWidget(parent);
    case Kind::ProgressBar: return makeProgress(parent);
    case Kind::Icon: return makeIcon(parent, px);
    }
    return nullptr;
}

bool takesFocus(Kind k) {
    switch (k) {
    case Kind::PushButton:
    case Kind::DefPushButton:
    case Kind::CheckBox:
    case Kind::RadioButton:
    case Kind::Edit:
    case Kind::DropList:
    case Kind::ListBox: return true;
    default: return false;
    }
}

void applyStyles(QWidget* w, const Control& c) {
    if (takesFocus(c.kind))
        w->setFocusPolicy((c.style & TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
    else
        w->setFocusPolicy(Qt::NoFocus);
    if (c.style & Disabled)
        w->setEnabled(false);
    if (c.style & Hidden)
        w->hide();
}

// A drop-down list keeps the height its font gives it, as on Windows; the template's
// height is that of the opened list.
QRect placement(QWidget* w, const Control& c, const QRect& px) {
    if (c.kind != Kind::DropList)
        return px;
    return {px.x(), px.y(), px.width(), std::min(px.height(), w->sizeHint().height())};
}

// Tab enters a radio group at its checked button (at its first when none is checked);
// the arrow keys move within the group.
void fixRadioTabStop(QButtonGroup* g) {
    const QList<QAbstractButton*> buttons = g->buttons();
    QAbstractButton* stop = g->checkedButton();
    if (!stop && !buttons.isEmpty())
        stop = buttons.first();
    for (QAbstractButton* b : buttons)
        b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

// Windows groups run from one GroupStart control to the next; the auto radio buttons of
// a group are exclusive. The group is named after its first radio button.
void groupRadios(QWidget* window, const DialogTemplate& tpl) {
    QButtonGroup* current = nullptr;
    for (const Control& c : tpl.controls) {
        if (c.style & GroupStart)
            current = nullptr;
        if (c.kind != Kind::RadioButton)
            continue;
        auto* r = control<QRadioButton>(window, c.id);
        if (!current) {
            current = new QButtonGroup(window);
            current->setObjectName(groupName(c.id));
            current->setExclusive(true);
        }
        // Exclusive through its group (a grouped button follows its group, not its parent);
        // auto-exclusive it stays, so that assistive technology announces a radio button.
        current->addButton(r, static_cast<int>(current->buttons().size()));
    }
    for (QButtonGroup* g : window->findChildren<QButtonGroup*>(Qt::FindDirectChildrenOnly)) {
        fixRadioTabStop(g);
        QObject::connect(g, &QButtonGroup::buttonToggled, g, [g] { fixRadioTabStop(g); });
    }
}

// The label that names an edit or a list is its buddy.
void linkBuddies(QWidget* window, const DialogTemplate& tpl) {
    for (const Control& c : tpl.controls) {
        const bool field = c.kind == Kind::Edit || c.kind == Kind::DropList || c.kind == Kind::ListBox;
        if (!field || c.id == kNoId || c.namedBy <= 0)
            continue;
        if (auto* label = control<QLabel>(window, c.namedBy))
            label->setBuddy(control<QWidget>(window, c.id));
    }
}

void applyWindowFlags(QWidget* window, const DialogTemplate& tpl) {
    if (!window->isWindow() || (tpl.flags & Page))
        return;
    Qt::WindowFlags f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tpl.flags & SysMenu)
        f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    window->setWindowFlags(f);
    if ((tpl.flags & CenterScreen) && window->screen()) {
        QRect frame({0, 0}, window->size());
        frame.moveCenter(window->screen()->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace

BaseUnits baseUnitsFromMetrics(int width52, int height) {
    return {(width52 / 26 + 1) / 2, height};
}

BaseUnits dialogBaseUnits(const QFont& font) {
    const QFontMetrics m(font);
    return baseUnitsFromMetrics(m.horizontalAdvance(QString::fromLatin1(kLetters)), m.height());
}

QRect dluToPixels(const DluRect& r, BaseUnits u) {
    return {mulDiv(r.x, u.x, 4), mulDiv(r.y, u.y, 8), mulDiv(r.w, u.x, 4), mulDiv(r.h, u.y, 8)};
}

QFont dialogFont(const DialogTemplate& tpl) {
    QFont f(QString::fromLatin1(kDialogFamily));
    f.setPointSize(tpl.pointSize);
    return f;
}

void buildWindow(QWidget* window, const DialogTemplate& tpl) {
    const QFont font = dialogFont(tpl);
    window->setFont(font);
    const BaseUnits units = dialogBaseUnits(font);
    QList<QWidget*> frames;
    for (const Control& c : tpl.controls) {
        const QRect px = dluToPixels(c.rect, units);
        QWidget* w = makeWidget(window, c, px);
        setControlId(w, c.id);
        if (c.namedBy != 0)
            setNamedBy(w, c.namedBy);
        w->setGeometry(placement(w, c, px));
        applyStyles(w, c);
        if (c.kind == Kind::GroupBox)
            frames.append(w);
    }
    // Frames lie under the controls they enclose.
    for (QWidget* f : frames)
        f->lower();
    groupRadios(window, tpl);
    linkBuddies(window, tpl);
    window->setWindowTitle(QString::fromUtf8(tpl.caption));
    refreshAccessibleNames(window);
    window->setFixedSize(dluToPixels({0, 0, tpl.width, tpl.height}, units).size());
    applyWindowFlags(window, tpl);
}

QString controlName(int id) { return QStringLiteral("ctl%1").arg(id); }

int controlId(const QObject* widget) {
    const QVariant v = widget ? widget->property(kIdProperty) : QVariant();
    return v.isValid() ? v.toInt() : kNoId;
}

void setNamedBy(QWidget* widget, int namer) { widget->setProperty(kNamedByProperty, namer); }

int namedBy(const QObject* widget) {
    const QVariant v = widget ? widget->property(kNamedByProperty) : QVariant();
    return v.isValid() ? v.toInt() : 0;
}

void setControlId(QWidget* widget, int id) {
    widget->setProperty(kIdProperty, id);
    if (id != kNoId)
        widget->setObjectName(controlName(id));
}

QButtonGroup* radioGroup(QWidget* window, int firstId) {
    return window->findChild<QButtonGroup*>(groupName(firstId), Qt::FindDirectChildrenOnly);
}

int radioIndex(QWidget* window, int firstId) {
    QButtonGroup* g = radioGroup(window, firstId);
    return g ? g->checkedId() : -1;
}

void setRadioIndex(QWidget* window, int firstId, int index) {
    QButtonGroup* g = radioGroup(window, firstId);
    if (!g)
        return;
    if (QAbstractButton* b = g->button(index)) {
        b->setChecked(true);
    } else {
        // An exclusive group cannot uncheck its last button; lift exclusivity for a moment.
        g->setExclusive(false);
        for (QAbstractButton* b : g->buttons())
            b->setChecked(false);
        g->setExclusive(true);
    }
    fixRadioTabStop(g); // the group's signals may be blocked while values are pushed
}

} // namespace omniset::res
