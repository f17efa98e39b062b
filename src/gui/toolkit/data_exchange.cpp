#include "gui/toolkit/data_exchange.h"

#include "core/app/messages.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/window_texts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QPointer>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include <climits>
#include <vector>

namespace omniset {

bool parseDialogInt(const QString& text, int& value) {
    auto t = text.trimmed();
    if (t.isEmpty()) return false;
    int i = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') {
        negative = t[0] == u'-';
        i = 1;
    }
    if (i >= t.size()) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < u'0' || t[i] > u'9') return false;
        v = v * 10 + (t[i].unicode() - u'0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    v = negative ? -v : v;
    if (v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    return true;
}

namespace {

// The control whose check failed last, until the focus has gone back to it.
QPointer<QWidget> returningFocus;

} // namespace

bool takesValuesOnFocusLoss(const QObject* control, const QEvent* event) {
    if (event->type() != QEvent::FocusOut) return false;
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    // The focus is already on its new owner while the old one hears of the loss.
    const bool returning = returningFocus && QApplication::focusWidget() == returningFocus;
    // Going back to the failed control, or leaving it again: either way its return is over.
    if (returning || control == returningFocus) returningFocus = nullptr;
    return !returning;
}

QWidget* DataExchange::find(int id) const { return res::control<QWidget>(window_, id); }

void DataExchange::fail(QWidget* control, const QString& message, bool exclamation) {
    ok_ = false;
    returningFocus = control;
    ownedBoxText(nullptr, message, BoxButtons::Ok, exclamation ? BoxIcon::Warning : BoxIcon::None);
    if (!control) return;
    control->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(control)) e->selectAll();
}

void DataExchange::text(int id, QString& value, int maxChars) {
    if (!ok_) return;
    auto* w = find(id);
    auto* edit = qobject_cast<QLineEdit*>(w);
    auto* label = qobject_cast<QLabel*>(w);
    if (!take_) {
        QSignalBlocker block(w);
        if (edit) {
            edit->setText(value);
        } else if (label && label->text() != value) {
            label->setText(value);
            res::refreshAccessibleNames(window_); // a value label's name carries its value
        }
        return;
    }
    QString t = edit ? edit->text() : label ? label->text() : value;
    if (maxChars > 0 && t.size() > maxChars) {
        fail(w, QStringLiteral("Please enter no more than %1 characters.").arg(maxChars), true);
        return;
    }
    value = t;
}

void DataExchange::byteText(int id, std::string& value, int maxChars) {
    QString t = QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size()));
    text(id, t, maxChars);
    if (take_ && ok_) value = t.toLatin1().toStdString();
}

void DataExchange::integer(int id, int& value, int min, int max) {
    if (!ok_) return;
    auto* edit = qobject_cast<QLineEdit*>(find(id));
    if (!edit) return;
    if (!take_) {
        QSignalBlocker block(edit);
        edit->setText(QString::number(value));
        return;
    }
    int v = 0;
    if (!parseDialogInt(edit->text(), v)) {
        fail(edit, QStringLiteral("Please enter an integer."), false);
        return;
    }
    if (v < min || v > max) {
        fail(edit, QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max),
             true);
        return;
    }
    value = v;
}

void DataExchange::check(int id, int& value) {
    if (!ok_) return;
    auto* box = qobject_cast<QAbstractButton*>(find(id));
    if (!box) return;
    if (take_) {
        value = box->isChecked() ? 1 : 0;
    } else {
        QSignalBlocker block(box);
        box->setChecked(value == 1);
    }
}

void DataExchange::radio(int firstId, int& index) {
    if (!ok_) return;
    if (take_) {
        index = res::radioIndex(window_, firstId);
        return;
    }
    // Block every button of the group (and the group) while the check moves.
    std::vector<QSignalBlocker> blocks;
    if (auto* g = res::radioGroup(window_, firstId)) {
        blocks.emplace_back(g);
        for (auto* b : g->buttons()) blocks.emplace_back(b);
    }
    res::setRadioIndex(window_, firstId, index);
}

void DataExchange::combo(int id, int& index) {
    if (!ok_) return;
    auto* c = qobject_cast<QComboBox*>(find(id));
    if (!c) return;
    if (take_) {
        index = c->currentIndex();
    } else {
        QSignalBlocker block(c);
        c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
    }
}

} // namespace omniset
