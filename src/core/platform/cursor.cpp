#include "core/platform/cursor.h"


namespace omniset::platform {

namespace {

int g_waits = 0;           // wait cursors that show the wait cursor
int g_arrows = 0;          // live arrow requests
std::uint64_t g_epoch = 0; // advanced by showArrowCursor(): older waits no longer count
bool g_overridden = false; // the presenter shows the wait cursor
WaitCursorPresenter g_presenter;

// Brings the shown cursor in line with the counts.
void apply() {
    const bool wanted = g_waits > 0 && g_arrows == 0 && g_presenter;
    if (wanted == g_overridden) return;
    if (g_presenter) g_presenter(wanted);
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

void setWaitCursorPresenter(WaitCursorPresenter presenter) {
    if (g_overridden && g_presenter) g_presenter(false);
    g_overridden = false;
    g_presenter = std::move(presenter);
    apply();
}

} // namespace omniset::platform
