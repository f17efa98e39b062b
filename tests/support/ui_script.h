// ui_script.h - drives windows from a test while the program runs its modal loops.
//
//   UiScript script;                  steps run in order, each once its condition holds;
//   script.when(cond, action)         polled every few milliseconds from the event loop, so
//   script.start(timeoutMs)           the steps act inside nested modal loops and waits;
//                                     a script still waiting at the time-out, or a step
//                                     whose check failed, ends every modal loop, so a
//                                     failed step cannot hang the test
//   script.done()                     all steps ran
//   activeModal<T>()                  the active modal window if it is a T
//   clickButton(window, id)           click the push button with that identifier
//   chooseItem(list, index)           pick a list entry as the user does (activated)
//   endDialogsOnExit(exits)           when the program ends the process, end every modal
//                                     loop so that the test goes on
#pragma once

#include "testkit.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

namespace omniset::test {

class UiScript : public QObject {
  public:
    UiScript();
    void when(std::function<bool()> condition, std::function<void()> action);
    void start(int timeoutMs = 20000);
    bool done() const { return !timedOut_ && steps_.empty() && !launching_; }
    int pending() const { return static_cast<int>(steps_.size()); }

  private:
    void poll();
    void abandon();
    struct Step {
        std::function<bool()> condition;
        std::function<void()> action;
    };
    std::deque<Step> steps_;
    QTimer timer_;
    QTimer deadline_;
    bool launching_ = false;
    bool timedOut_ = false;
};

template <class T> T* activeModal() { return dynamic_cast<T*>(QApplication::activeModalWidget()); }

void clickButton(QWidget* window, int id);
void chooseItem(QComboBox* list, int index);
void endDialogsOnExit(ExitRecorder& exits);
void endAllDialogs();

} // namespace omniset::test
