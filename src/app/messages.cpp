#include "messages.h"

#include "language.h"
#include "platform/cursor.h"

namespace omniset {

BoxAnswer ownedBoxText(QWidget* owner, const QString& text, BoxButtons buttons, BoxIcon icon,
                       bool cancelIsDefault) {
    platform::BoxRequest r;
    r.owner = owner;
    r.caption = QString::fromLatin1(kAppTitle);
    r.text = text;
    r.buttons = buttons;
    r.icon = icon;
    r.cancelIsDefault = cancelIsDefault;
    platform::ArrowCursor arrow; // a box waits for the user, not for the adapter
    return platform::showMessageBox(r);
}

BoxAnswer ownedBox(QWidget* owner, const char* zh, const char* en, BoxButtons buttons,
                   BoxIcon icon, bool cancelIsDefault) {
    return ownedBoxText(owner, pickText(zh, en), buttons, icon, cancelIsDefault);
}

BoxAnswer appBox(const char* zh, const char* en, BoxButtons buttons, BoxIcon icon,
                 bool cancelIsDefault) {
    return ownedBox(nullptr, zh, en, buttons, icon, cancelIsDefault);
}

} // namespace omniset
