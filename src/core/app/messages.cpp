#include "core/app/messages.h"

#include "core/app/language.h"
#include "core/platform/cursor.h"

namespace omniset {

BoxAnswer ownedBoxText(BoxOwner owner, const QString& text, BoxButtons buttons, BoxIcon icon,
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

BoxAnswer ownedBox(BoxOwner owner, const char* zh, const char* en, BoxButtons buttons,
                   BoxIcon icon, bool cancelIsDefault) {
    return ownedBoxText(owner, pickText(zh, en), buttons, icon, cancelIsDefault);
}

BoxAnswer appBox(const char* zh, const char* en, BoxButtons buttons, BoxIcon icon,
                 bool cancelIsDefault) {
    return ownedBox(nullptr, zh, en, buttons, icon, cancelIsDefault);
}

} // namespace omniset
