#include "window_texts.h"

#include "dialog_builder.h"

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

} // namespace

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
