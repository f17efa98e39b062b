#include "ui_script.h"

#include "gui/res/dialog_builder.h"

#include <QAbstractButton>
#include <QTest>

namespace omniset::test {

UiScript::UiScript() {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &UiScript::poll);
}

void UiScript::when(std::function<bool()> condition, std::function<void()> action) {
    steps_.push_back({std::move(condition), std::move(action)});
}

void UiScript::start(int timeoutMs) {
    timer_.start();
    deadline_.setSingleShot(true);
    deadline_.callOnTimeout(this, [this] {
        if (done() && !QTest::currentTestFailed()) return;
        abandon();
    });
    deadline_.start(timeoutMs);
}

void UiScript::abandon() {
    timedOut_ = true;
    steps_.clear();
    timer_.stop();
    endAllDialogs();
    deadline_.start(200); // dialogs opened by an action still running
}

void UiScript::poll() {
    // An action may open a modal loop of its own, and a timer does not fire again while
    // its own handler runs: actions therefore run from a single shot of their own, and
    // the polling goes on from inside their loops.
    if (launching_ || steps_.empty() || !steps_.front().condition()) return;
    auto action = std::move(steps_.front().action);
    steps_.pop_front();
    launching_ = true;
    QTimer::singleShot(0, this, [this, action] {
        launching_ = false;
        action();
        // A failed check returns from the step without the clicks that would end the
        // windows: end them now rather than at the time-out.
        if (QTest::currentTestFailed()) abandon();
    });
}

void clickButton(QWidget* window, int id) {
    if (auto* b = res::control<QAbstractButton>(window, id)) b->click();
}

void chooseItem(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void endDialogsOnExit(ExitRecorder& exits) {
    std::weak_ptr<int> alive = exits.alive;
    exits.onExit = [alive](int) {
        // Queued, so that the handler that ended the process returns first; a test that
        // is over by then is left alone.
        QTimer::singleShot(0, [alive] {
            if (!alive.expired()) endAllDialogs();
        });
    };
}

void endAllDialogs() {
    for (auto* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
            d->QDialog::done(QDialog::Rejected);
}

} // namespace omniset::test
