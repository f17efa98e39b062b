#include "gui/res/digits_only_filter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

namespace omniset::res {

namespace {

bool allDigits(const QString& s) {
    for (QChar ch : s)
        if (ch < u'0' || ch > u'9')
            return false;
    return true;
}

// A key press that would insert text: printable text and no Ctrl/Alt/Meta chord
// (those are shortcuts such as Ctrl+V, which must keep working).
bool typesText(const QKeyEvent* e) {
    const Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (e->modifiers() & chord)
        return false;
    const QString t = e->text();
    return !t.isEmpty() && t.at(0).isPrint();
}

class DigitsOnlyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* k = static_cast<QKeyEvent*>(event);
            return typesText(k) && !allDigits(k->text());
        }
        if (event->type() == QEvent::InputMethod) {
            const auto* im = static_cast<QInputMethodEvent*>(event);
            return !allDigits(im->commitString());
        }
        return QObject::eventFilter(watched, event);
    }
};

// Removes every character but the digits, keeping the cursor after the same digits.
class DigitsValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        QString digits;
        int cursor = 0;
        for (int i = 0; i < input.size(); ++i) {
            if (input[i] < u'0' || input[i] > u'9')
                continue;
            digits.append(input[i]);
            if (i < pos)
                ++cursor;
        }
        input = digits;
        pos = cursor;
        return Acceptable;
    }
};

} // namespace

void keepDigitsOnly(QLineEdit* edit) {
    edit->setValidator(new DigitsValidator(edit));
    edit->setText(edit->text()); // a text already there is cut down too
}

void installDigitsOnly(QLineEdit* edit) {
    edit->installEventFilter(new DigitsOnlyFilter(edit));
    edit->setInputMethodHints(Qt::ImhDigitsOnly);
}

} // namespace omniset::res
