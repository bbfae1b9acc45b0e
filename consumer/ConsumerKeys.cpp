#include "ConsumerKeys.h"

#include "toolkit/KeyCodes.h"

namespace zel {

KeyAction consumerKeyDown(int& step, ConsumerEntry& entry, int key,
                          const std::function<bool()>& keyboardPresent)
{
    if (step == kStepNone)
        return KeyAction::None;
    if (isEnterKey(key)) {
        if (entry.typed.isEmpty())
            return KeyAction::None;
        if (step == kStepClient) {
            entry.clientCode = entry.typed;
            step = kStepConsumer;
        } else {
            entry.consumerCode = entry.typed;
            step = kStepNone;
        }
        entry.typed.clear();
        entry.prefix = false;
        return KeyAction::ShowTyped;
    }
    switch (key) {
    case Qt::Key_Backspace:
        entry.typed.chop(1);
        entry.prefix = false;
        return KeyAction::ShowTyped;
    case Qt::Key_Escape:
        if (keyboardPresent() && !entry.prefix)
            return KeyAction::None;
        entry.prefix = false;
        return KeyAction::Cancel;
    case Qt::Key_Delete:
        if (entry.prefix && keyboardPresent())
            return KeyAction::None;
        if (step == kStepConsumer)
            return KeyAction::CorrectConsumer;
        entry.typed.clear();
        return KeyAction::ShowTyped;
    case Qt::Key_Up:
        if (keyboardPresent())
            entry.prefix = true;
        return KeyAction::None;
    default:
        return KeyAction::None;
    }
}

bool isCodeCharacter(QChar ch)
{
    const char16_t c = ch.unicode();
    return c == u',' || c == u'-' || c == u'.' || c == u'/' || (c >= u'0' && c <= u'9') ||
           (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool consumerKeyPress(int step, ConsumerEntry& entry, QChar ch)
{
    if (step == kStepNone || !isCodeCharacter(ch))
        return false;
    entry.typed.append(ch);
    entry.prefix = false;
    return true;
}

} // namespace zel
