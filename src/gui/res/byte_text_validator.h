// byte_text_validator.h - edits whose text goes into the record one byte per character.
//
//   installByteText(edit)      the edit accepts only characters a record byte can hold
//                              (U+0001..U+00FF, the byte of the same value); a keystroke or
//                              a paste bringing any other character is refused whole
//   holdsAsBytes(text)         every character of text is such a character
//
// The record's texts are plain bytes read and written as Latin-1; a character outside it
// would otherwise reach the record as "?" without the user knowing.
#pragma once

#include <QString>

class QLineEdit;

namespace omniset::res {

void installByteText(QLineEdit* edit);
bool holdsAsBytes(const QString& text);

} // namespace omniset::res
