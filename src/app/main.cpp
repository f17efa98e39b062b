// omniset - configuration program for the KX220 ISDN terminal adapter.
#include "app/startup.h"
#include "platform/message_box_widgets.h"
#include "res/program_icon.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);                          // the window system
    omniset::platform::installWidgetMessageBoxes();         // boxes as QMessageBox
    QApplication::setWindowIcon(omniset::res::programIcon()); // resource 128
    omniset::runStartup();                                 // detection, then the sheet
    return 0;
}
