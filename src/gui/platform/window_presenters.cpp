#include "gui/platform/window_presenters.h"

#include "core/platform/cursor.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace omniset::platform {

namespace {

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

BoxAnswer showQtBox(const BoxRequest& r) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // No window system: say it on standard error and go on.
        std::fprintf(stderr, "%s: %s\n", qPrintable(r.caption), qPrintable(r.text));
        return BoxAnswer::Ok;
    }
    QMessageBox box(qtIcon(r.icon), r.caption, r.text, QMessageBox::NoButton,
                    ownerWindow(r.owner));
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel = nullptr;
    if (r.buttons == BoxButtons::OkCancel) cancel = box.addButton(QMessageBox::Cancel);
    // Return presses the default button, Escape the cancel button (OK when there is none).
    box.setDefaultButton(r.cancelIsDefault && cancel ? cancel : ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    return box.clickedButton() == cancel && cancel ? BoxAnswer::Cancel : BoxAnswer::Ok;
}

} // namespace

void installWidgetMessageBoxes() {
    setMessageBoxPresenter(showQtBox);
}

void installWidgetWaitCursor() {
    setWaitCursorPresenter([](bool shown) {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
        if (shown) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else QGuiApplication::restoreOverrideCursor();
    });
}

QWidget* ownerWindow(BoxOwner owner) { return qobject_cast<QWidget*>(owner); }

} // namespace omniset::platform
