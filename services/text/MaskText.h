#pragma once

#include <QString>

namespace zel {

// Applies an edit mask to a value, as the form toolkit's masked fields do.
//
// A mask is up to three sections separated by ";": the pattern, a flag saying whether the
// value already holds the pattern's literals ("1", the default) or not ("0"), and the
// character that stands for a missing one ("_" by default).
// In the pattern each of 0 9 # L l A a C c is a place for one character of the value; "\"
// makes the next character a literal; ">" turns what follows to capitals, "<" to small
// letters, "<>" ends either; "!" is accepted and ignored; everything else is a literal.
// Places are filled from the value in order without checking the kind of character (the
// toolkit formats, it does not validate); a place with nothing left gets the blank
// character, or nothing for the optional places 9 # l a c.
// An empty pattern gives the value unchanged.
QString FormatMaskText(const QString& mask, const QString& value);

} // namespace zel
