#include "cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace omniset::platform {

namespace {

int g_waits = 0;           // wait cursors that show the wait cursor
int g_arrows = 0;          // live arrow requests
std::uint64_t g_epoch = 0; // advanced by showArrowCursor(): older waits no longer count
bool g_overridden = false; // the application's override cursor is ours and set

bool haveWindowSystem() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()); }

// Brings the override cursor in line with the counts.
void apply() {
    const bool wanted = g_waits > 0 && g_arrows == 0 && haveWindowSystem();
    if (wanted == g_overridden) return;
    if (wanted) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else if (haveWindowSystem()) QGuiApplication::restoreOverrideCursor();
    g_overridden = wanted;
}

} // namespace

WaitCursor::WaitCursor() : epoch_(g_epoch) {
    ++g_waits;
    apply();
}

WaitCursor::~WaitCursor() {
    if (!showing()) return;
    --g_waits;
    apply();
}

bool WaitCursor::showing() const { return epoch_ == g_epoch; }

ArrowCursor::ArrowCursor() {
    ++g_arrows;
    apply();
}

ArrowCursor::~ArrowCursor() {
    --g_arrows;
    apply();
}

void showArrowCursor() {
    ++g_epoch;
    g_waits = 0;
    apply();
}

bool waitCursorShown() { return g_overridden; }

} // namespace omniset::platform
