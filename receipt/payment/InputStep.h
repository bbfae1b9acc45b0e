#pragma once

#include "zel/Export.h"

#include <QString>

// What the keypad entry of the receipt form is for. The order matters: Enter advances some
// steps to the next value.
enum TInputStep {
    isNone,
    isTroco,
    isCredito3,
    isDebito3,
    isCheque6,
    isDinheiro1,
    isMoeda1,
    isMoeda2,
    isConvenio1,
    isConvenio2,
    isTicket1,
};
constexpr int kInputStepCount = isTicket1 + 1;

// Keypad mode; the receipt form always uses ttvalor, and in ttNone its key handlers do nothing.
enum TTipoTecl { ttNone, ttvalor };
constexpr int kTipoTeclCount = ttvalor + 1;

namespace Vrm_zel00000 {
extern "C" {
// The label that shows the entry, and the one that shows the sale number, per keypad mode.
ZEL_EXPORT extern const char* const arValLabels[kTipoTeclCount];
ZEL_EXPORT extern const char* const arLabels[kTipoTeclCount];
// Message keys of the on-screen prompt and of the keyboard-display prompt per input step.
ZEL_EXPORT extern const char* const MsgInputStep[kInputStepCount];
ZEL_EXPORT extern const char* const TeclMsgInputStep[kInputStepCount];
}
} // namespace Vrm_zel00000
