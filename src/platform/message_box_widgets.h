// message_box_widgets.h - the window program's message boxes (QMessageBox).
//
//   installWidgetMessageBoxes()   makes showMessageBox() present modal QMessageBoxes
//                                 (without a QApplication it still prints on stderr)
#pragma once

namespace omniset::platform {

void installWidgetMessageBoxes();

} // namespace omniset::platform
