#include "cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace omniset::platform {

WaitCursor::WaitCursor() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        shown_ = true;
    }
}

WaitCursor::~WaitCursor() {
    if (shown_) QGuiApplication::restoreOverrideCursor();
}

} // namespace omniset::platform
