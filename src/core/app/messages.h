// messages.h - message boxes as the program shows them.
//
//   kAppTitle                        "Omniset", the caption of every box
//   appBox(zh, en, ...)              an application-level box (no owner)
//   ownedBox(owner, zh, en, ...)     a box owned by a window (caption passed explicitly)
// The text is chosen by LanguageMode when the box is shown; OK only and no icon unless
// the caller asks for other buttons or an icon.
#pragma once

#include "core/platform/message_box.h"

namespace omniset {

inline constexpr char kAppTitle[] = "Omniset";

using platform::BoxAnswer;
using platform::BoxOwner;
using platform::BoxButtons;
using platform::BoxIcon;

BoxAnswer appBox(const char* zh, const char* en, BoxButtons buttons = BoxButtons::Ok,
                 BoxIcon icon = BoxIcon::None, bool cancelIsDefault = false);
BoxAnswer ownedBox(BoxOwner owner, const char* zh, const char* en,
                   BoxButtons buttons = BoxButtons::Ok, BoxIcon icon = BoxIcon::None,
                   bool cancelIsDefault = false);
// The same with a text already chosen (formatted texts such as "Can't set COM%d").
BoxAnswer ownedBoxText(BoxOwner owner, const QString& text, BoxButtons buttons = BoxButtons::Ok,
                       BoxIcon icon = BoxIcon::None, bool cancelIsDefault = false);

} // namespace omniset
