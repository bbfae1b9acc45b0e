#pragma once

#include <Qt>

namespace zel {

// Key-down messages carry the key codes of the point-of-sale keyboard layer (8 Backspace,
// 13 Enter, 27 Escape, 33 Page Up, 34 Page Down, 38 Up, 46 Delete, "0".."9" and "A".."Z" as
// their own codes). A form sends a character's code as a key-down through PostText, so "."
// (46) arrives as Delete and "\b" (8) as Backspace.
struct KeyCode
{
    int key = 0; // a Qt::Key; Qt::Key_unknown for a code without a key
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

KeyCode qtKeyFromVirtualKey(int code);

inline bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace zel
