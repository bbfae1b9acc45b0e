#include "receipt/state/CommandSet.h"

namespace zel {

CommandSet commandsFor(CommandStep step, const CommandFacts& facts)
{
    // Exit, Clear and Discount go together: all three are off while an entry runs (they would
    // change the payments under it) and back on whenever it has ended.
    CommandSet set;
    const auto commands = [&set](bool on) { set.exit = set.clear = set.discount = on; };
    switch (step) {
    case CommandStep::PickingPayment:
        set.grid = true;
        break;
    case CommandStep::GridHeld:
        set.grid = false;
        break;
    case CommandStep::EntryStarted:
        set.keypad = true;
        commands(false);
        break;
    case CommandStep::EntryLeft:
        set.grid = true;
        set.keypad = false;
        commands(true);
        break;
    case CommandStep::EntryGivenUp:
        set.ok = false;
        commands(true);
        break;
    case CommandStep::PaymentEnded:
        // Covered: OK and the taxpayer id (only for the fiscal coupon, and only once), and no
        // further payment type. Not covered: the grid for the next payment.
        set.grid = !facts.covered;
        set.keypad = false;
        set.ok = facts.covered;
        set.taxpayerId = facts.covered && facts.fiscalPrinter && !facts.consumerInformed;
        commands(true);
        break;
    case CommandStep::ChangeRefused:
        set.keypad = false;
        set.ok = set.taxpayerId = false;
        commands(true);
        break;
    case CommandStep::PaymentsCleared:
        set.grid = true;
        set.ok = set.taxpayerId = false;
        set.discount = true;
        break;
    case CommandStep::Closing:
        set.exit = false;
        break;
    case CommandStep::ClosingEnded:
        set.exit = true;
        break;
    case CommandStep::Ending:
        set.grid = set.keypad = false;
        break;
    }
    return set;
}

} // namespace zel
