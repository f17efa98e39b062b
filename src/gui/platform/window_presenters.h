// window_presenters.h - how the window program shows the core's boxes and wait cursor.
//
//   installWidgetMessageBoxes()   makes showMessageBox() present modal QMessageBoxes
//                                 (without a QApplication it still prints on stderr)
//   installWidgetWaitCursor()     makes the core's wait cursors show as the application's
//                                 override cursor (nothing without a window system)
//   ownerWindow(owner)            the window behind a box owner handle (or nullptr)
#pragma once

#include "core/platform/message_box.h"

class QWidget;

namespace omniset::platform {

void installWidgetMessageBoxes();
void installWidgetWaitCursor();
QWidget* ownerWindow(BoxOwner owner);

} // namespace omniset::platform
