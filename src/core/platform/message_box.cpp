#include "core/platform/message_box.h"

#include <cstdio>

namespace omniset::platform {

namespace {

MessageBoxHandler& presenter() {
    static MessageBoxHandler fn;
    return fn;
}

MessageBoxHandler& handler() {
    static MessageBoxHandler fn;
    return fn;
}

// No presenter (a console program that installed none): say it on standard error.
BoxAnswer printBox(const BoxRequest& r) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(r.caption), qPrintable(r.text));
    return BoxAnswer::Ok;
}

} // namespace

BoxAnswer showMessageBox(const BoxRequest& request) {
    if (handler()) return handler()(request);
    if (presenter()) return presenter()(request);
    return printBox(request);
}

void setMessageBoxPresenter(MessageBoxHandler fn) {
    presenter() = std::move(fn);
}

void setMessageBoxHandler(MessageBoxHandler fn) {
    handler() = std::move(fn);
}

} // namespace omniset::platform
