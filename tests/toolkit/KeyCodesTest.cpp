#include "toolkit/KeyCodes.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

struct KeyCase
{
    int code;
    int key;
    Qt::KeyboardModifiers modifiers;
};

class KeyCodes : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(KeyCodes, MapToQtKeys)
{
    const KeyCode mapped = qtKeyFromVirtualKey(GetParam().code);
    EXPECT_EQ(mapped.key, GetParam().key) << "code " << GetParam().code;
    EXPECT_EQ(mapped.modifiers, GetParam().modifiers) << "code " << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    PosKeyboard, KeyCodes,
    ::testing::Values(
        KeyCase{8, Qt::Key_Backspace, Qt::NoModifier}, KeyCase{13, Qt::Key_Return, Qt::NoModifier},
        KeyCase{27, Qt::Key_Escape, Qt::NoModifier}, KeyCase{33, Qt::Key_PageUp, Qt::NoModifier},
        KeyCase{34, Qt::Key_PageDown, Qt::NoModifier}, KeyCase{38, Qt::Key_Up, Qt::NoModifier},
        KeyCase{46, Qt::Key_Delete, Qt::NoModifier}, // "." sent as a key is Delete
        KeyCase{16, Qt::Key_Shift, Qt::NoModifier}, KeyCase{'0', Qt::Key_0, Qt::NoModifier},
        KeyCase{'9', Qt::Key_9, Qt::NoModifier}, KeyCase{'A', Qt::Key_A, Qt::NoModifier},
        KeyCase{'Z', Qt::Key_Z, Qt::NoModifier}, KeyCase{0x61, Qt::Key_1, Qt::KeypadModifier},
        KeyCase{0x70, Qt::Key_F1, Qt::NoModifier}, KeyCase{0x7B, Qt::Key_F12, Qt::NoModifier},
        KeyCase{0, Qt::Key_unknown, Qt::NoModifier}, KeyCase{199, Qt::Key_unknown, Qt::NoModifier},
        KeyCase{-1, Qt::Key_unknown, Qt::NoModifier}));

} // namespace
} // namespace zel
