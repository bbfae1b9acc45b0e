#include "KeyCodes.h"

namespace zel {

KeyCode qtKeyFromVirtualKey(int code)
{
    if (code >= '0' && code <= '9')
        return {Qt::Key_0 + (code - '0')};
    if (code >= 'A' && code <= 'Z')
        return {Qt::Key_A + (code - 'A')};
    if (code >= 0x60 && code <= 0x69) // numeric keypad digits
        return {Qt::Key_0 + (code - 0x60), Qt::KeypadModifier};
    if (code >= 0x70 && code <= 0x7B)
        return {Qt::Key_F1 + (code - 0x70)};
    switch (code) {
    case 0x08:
        return {Qt::Key_Backspace};
    case 0x09:
        return {Qt::Key_Tab};
    case 0x0D:
        return {Qt::Key_Return};
    case 0x10:
        return {Qt::Key_Shift};
    case 0x11:
        return {Qt::Key_Control};
    case 0x12:
        return {Qt::Key_Alt};
    case 0x13:
        return {Qt::Key_Pause};
    case 0x14:
        return {Qt::Key_CapsLock};
    case 0x1B:
        return {Qt::Key_Escape};
    case 0x20:
        return {Qt::Key_Space};
    case 0x21:
        return {Qt::Key_PageUp};
    case 0x22:
        return {Qt::Key_PageDown};
    case 0x23:
        return {Qt::Key_End};
    case 0x24:
        return {Qt::Key_Home};
    case 0x25:
        return {Qt::Key_Left};
    case 0x26:
        return {Qt::Key_Up};
    case 0x27:
        return {Qt::Key_Right};
    case 0x28:
        return {Qt::Key_Down};
    case 0x2D:
        return {Qt::Key_Insert};
    case 0x2E:
        return {Qt::Key_Delete};
    case 0x6A:
        return {Qt::Key_Asterisk, Qt::KeypadModifier};
    case 0x6B:
        return {Qt::Key_Plus, Qt::KeypadModifier};
    case 0x6D:
        return {Qt::Key_Minus, Qt::KeypadModifier};
    case 0x6E:
        return {Qt::Key_Period, Qt::KeypadModifier};
    case 0x6F:
        return {Qt::Key_Slash, Qt::KeypadModifier};
    default:
        return {Qt::Key_unknown};
    }
}

} // namespace zel
