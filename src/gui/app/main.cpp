// omniset - configuration program for the KX220 ISDN terminal adapter.
#include "gui/app/startup.h"
#include "gui/platform/window_presenters.h"
#include "gui/res/program_icon.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);                          // the window system
    omniset::platform::installWidgetMessageBoxes();         // boxes as QMessageBox
    omniset::platform::installWidgetWaitCursor();           // the wait cursor as Qt's
    QApplication::setWindowIcon(omniset::res::programIcon()); // resource 128
    omniset::runStartup();                                 // detection, then the sheet
    return 0;
}
