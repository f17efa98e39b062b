// input_guard.h - keeps the user out of a window while it talks to the adapter.
//
//   InputGuard guard(window)   while it lives, mouse, keyboard and close requests aimed at
//                              window (and its children) are dropped; the window stays
//                              painted, and other windows (message boxes, status windows)
//                              work as usual. Guards nest.
//
// The exchanges wait with events dispatched so that windows keep painting; without the
// guard a click during such a wait would start a second exchange on the same port.
#pragma once

class QWidget;

namespace omniset {

class InputGuard {
  public:
    explicit InputGuard(QWidget* window);
    ~InputGuard();
    InputGuard(const InputGuard&) = delete;
    InputGuard& operator=(const InputGuard&) = delete;

    static bool isGuarded(const QWidget* window);

  private:
    QWidget* window_;
};

} // namespace omniset
