// cursor.h - the wait cursor.
//
//   WaitCursor   shows the wait cursor while it lives (nothing without a window system)
#pragma once

namespace omniset::platform {

class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    bool shown_ = false;
};

} // namespace omniset::platform
