#include "gui/toolkit/input_guard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <map>

namespace omniset {

namespace {

class InputFilter final : public QObject {
  public:
    std::map<const QWidget*, int> guarded; // top-level window -> nesting depth

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (guarded.empty() || !watched->isWidgetType() || !isUserInput(event->type()))
            return false;
        auto* w = static_cast<QWidget*>(watched)->window();
        return guarded.count(w) > 0;
    }

  private:
    static bool isUserInput(QEvent::Type t) {
        switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }
};

InputFilter* filter() {
    static InputFilter* f = [] {
        auto* made = new InputFilter;
        if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(made);
        return made;
    }();
    return f;
}

} // namespace

InputGuard::InputGuard(QWidget* window) : window_(window ? window->window() : nullptr) {
    if (window_) ++filter()->guarded[window_];
}

InputGuard::~InputGuard() {
    if (!window_) return;
    auto& g = filter()->guarded;
    if (auto it = g.find(window_); it != g.end() && --it->second == 0) g.erase(it);
}

bool InputGuard::isGuarded(const QWidget* window) {
    return window && filter()->guarded.count(window->window()) > 0;
}

} // namespace omniset
