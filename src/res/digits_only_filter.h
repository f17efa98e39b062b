// digits_only_filter.h - the keyboard side of an edit's digits-only style.
//
//   installDigitsOnly(edit)   typed characters other than "0".."9" are dropped
//
// As with the Windows number style, only typing is filtered: text pasted or dropped into
// the edit still arrives, so that a window's own check of the text (an MSN or a dial
// number holding a letter) sees it and reports it.
#pragma once

class QLineEdit;

namespace omniset::res {

void installDigitsOnly(QLineEdit* edit);

} // namespace omniset::res
