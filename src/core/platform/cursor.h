// cursor.h - the wait cursor.
//
//   WaitCursor         shows the wait cursor while it lives (nothing without a window
//                      system); they nest
//   ArrowCursor        shows the arrow while it lives, over any wait cursor: a message box
//                      or a dialog that asks the user something in the middle of a wait
//   showArrowCursor()  the arrow from now on: the wait cursors alive now stop showing it
//                      (a wait cursor made later shows it again)
//   waitCursorShown()  whether the wait cursor shows now
//   setWaitCursorPresenter(fn)  how this program shows it: the window program installs
//                      its override cursor at start; without one nothing shows
//
// One cursor of the application is used: it is shown while at least one wait cursor
// shows and no arrow is asked for.
#pragma once

#include <cstdint>
#include <functional>

namespace omniset::platform {

class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    bool showing() const; // false once showArrowCursor() ended it

  private:
    std::uint64_t epoch_;
};

class ArrowCursor {
  public:
    ArrowCursor();
    ~ArrowCursor();
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;
};

void showArrowCursor();
bool waitCursorShown();

// fn(true) shows the wait cursor, fn(false) takes it away again.
using WaitCursorPresenter = std::function<void(bool shown)>;
void setWaitCursorPresenter(WaitCursorPresenter presenter);

} // namespace omniset::platform
