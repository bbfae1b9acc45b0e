#pragma once

#include <QChar>
#include <QString>
#include <functional>

namespace zel {

// Steps of the identification dialogue. Keys are ignored in kStepNone: before the dialogue
// starts, after the consumer code was entered and after the dialogue ended.
inline constexpr int kStepNone = 0;
inline constexpr int kStepClient = 1;
inline constexpr int kStepConsumer = 2;

// What the operator typed for the current step, the codes entered with Enter, and whether the
// POS keyboard's Up key (the prefix of its command keys) was pressed with no other key since.
// Enter takes the typed text as the step's code and starts the next step's text empty, so
// keys that arrive together ("501 Enter 11 Enter") give each step its own code.
struct ConsumerEntry
{
    QString typed;
    bool prefix = false;
    QString clientCode;   // entered in the client step
    QString consumerCode; // entered in the consumer step
};

// What the form does after a key-down.
enum class KeyAction {
    None,            // nothing to show
    ShowTyped,       // show the typed text again
    Cancel,          // click the cancel button
    CorrectConsumer, // click "Corrigir Consumidor"
};

// Applies a key-down (a Qt::Key) to the step and the entry. `keyboardPresent` says whether the
// POS keyboard is there; it is asked only for the keys whose meaning depends on it.
//  - Backspace drops the last character; Enter with something typed enters it as the step's
//    code, empties the typed text and moves the client step to the consumer step and the
//    consumer step to kStepNone (the code was entered).
//  - Escape cancels; with the POS keyboard only after its Up prefix.
//  - Delete empties the entry in the client step and goes back to the client in the consumer
//    step; with the POS keyboard it is ignored after the Up prefix.
//  - Up sets the prefix when the POS keyboard is there.
KeyAction consumerKeyDown(int& step, ConsumerEntry& entry, int key,
                          const std::function<bool()>& keyboardPresent);

// The characters a client or consumer code may hold: "," "-" "." "/", digits and the letters
// A to Z in either case.
bool isCodeCharacter(QChar ch);

// Appends a typed character to the entry; true when it was taken (and the prefix cleared).
bool consumerKeyPress(int step, ConsumerEntry& entry, QChar ch);

} // namespace zel
