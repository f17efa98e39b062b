// digits_only_filter.h - the keyboard side of an edit's digits-only style.
//
//   installDigitsOnly(edit)   typed characters other than "0".."9" are dropped
//   keepDigitsOnly(edit)      every text that reaches the edit (typed, pasted, dropped or
//                             set by code) is cut down to its digits "0".."9"
//
// As with the Windows number style, installDigitsOnly filters typing only: text pasted or
// dropped into the edit still arrives, so that a window's own check of the text (an MSN
// or a dial number holding a letter) sees it and reports it. keepDigitsOnly is for edits
// whose text goes to the adapter inside a command line, where nothing else may arrive.
#pragma once

class QLineEdit;

namespace omniset::res {

void installDigitsOnly(QLineEdit* edit);
void keepDigitsOnly(QLineEdit* edit);

} // namespace omniset::res
