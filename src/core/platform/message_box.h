// message_box.h - modal message boxes as a replaceable service.
//
//   showMessageBox(request)      shows the box and waits for the answer
//   setMessageBoxPresenter(fn)   how this program shows boxes: the window program installs
//                                its widget boxes at start; without one the caption and
//                                text go to standard error and the answer is OK
//   setMessageBoxHandler(fn)     replace the boxes (tests answer them from a script); an
//                                empty function restores the presenter
// The service itself needs no window system; a box's owner is an opaque handle that the
// window side knows as its window.
#pragma once

#include <QString>

#include <functional>

class QObject;

namespace omniset::platform {

// The window that owns a box (nullptr: an application-level box).
using BoxOwner = QObject*;

enum class BoxButtons { Ok, OkCancel };
enum class BoxIcon { None, Information, Warning, Question };
enum class BoxAnswer { Ok, Cancel };

struct BoxRequest {
    BoxOwner owner = nullptr; // nullptr: an application-level box
    QString caption;
    QString text;
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::None;
    bool cancelIsDefault = false; // Return presses Cancel instead of OK
};

using MessageBoxHandler = std::function<BoxAnswer(const BoxRequest&)>;

BoxAnswer showMessageBox(const BoxRequest& request);
void setMessageBoxPresenter(MessageBoxHandler presenter);
void setMessageBoxHandler(MessageBoxHandler handler);

} // namespace omniset::platform
