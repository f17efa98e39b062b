#include "gui/res/window_texts.h"

#include "gui/res/app_strings.h"
#include "gui/res/dialog_builder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace omniset::res {

namespace {

bool setWidgetText(QWidget* w, const QString& text) {
    if (widgetText(w) == text)
        return false;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else
        return false;
    return true;
}

QStringList currentItems(const ItemTexts& list) {
    QStringList out;
    for (const TextPair& p : list.items)
        out << textFor(p);
    return out;
}

void applyComboItems(QComboBox* box, const QStringList& items) {
    if (box->count() != items.size()) {
        const int selected = box->currentIndex();
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(selected < items.size() ? selected : -1);
        return;
    }
    for (int i = 0; i < items.size(); ++i)
        if (box->itemText(i) != items[i])
            box->setItemText(i, items[i]);
}

void applyListItems(QListWidget* list, const QStringList& items) {
    if (list->count() != items.size()) {
        const int selected = list->currentRow();
        list->clear();
        list->addItems(items);
        list->setCurrentRow(selected < items.size() ? selected : -1);
        return;
    }
    for (int i = 0; i < items.size(); ++i)
        if (list->item(i)->text() != items[i])
            list->item(i)->setText(items[i]);
}

// A namer's text as a name: without the colon that ends a label.
QString asName(QString text) {
    text = text.trimmed();
    while (text.endsWith(u':') || text.endsWith(u'\uFF1A'))
        text.chop(1);
    return text.trimmed();
}

QString namerText(QWidget* window, int namer) {
    if (namer == kNamedByCaption)
        return window->windowTitle();
    if (namer == kNamedByProgram)
        return QString::fromLatin1(kAppTitle);
    const QWidget* w = control<QWidget>(window, namer);
    return w ? widgetText(w) : QString();
}

} // namespace

void refreshAccessibleNames(QWidget* window) {
    for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const int namer = namedBy(w);
        if (namer == 0)
            continue;
        QString name = namerText(window, namer);
        // A label showing a value: the label beside it, then the value.
        auto* value = qobject_cast<QLabel*>(w);
        if (value && !value->text().isEmpty())
            name = name.trimmed() + u' ' + value->text();
        else
            name = asName(name);
        if (w->accessibleName() != name)
            w->setAccessibleName(name);
    }
}

QString widgetText(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return {};
}

bool setControlText(QWidget* window, int id, const QString& text) {
    QWidget* w = control<QWidget>(window, id);
    return w && setWidgetText(w, text);
}

void applyTexts(QWidget* window, TextTable table) {
    for (const TextEntry& e : table) {
        const QString text = textFor(e);
        if (e.id != kCaption)
            setControlText(window, e.id, text);
        else if (window->windowTitle() != text)
            window->setWindowTitle(text);
    }
    refreshAccessibleNames(window);
}

void applyItemTexts(QWidget* window, ItemTable table) {
    for (const ItemTexts& list : table) {
        const QStringList items = currentItems(list);
        if (auto* box = control<QComboBox>(window, list.id))
            applyComboItems(box, items);
        else if (auto* lw = control<QListWidget>(window, list.id))
            applyListItems(lw, items);
    }
}

} // namespace omniset::res
