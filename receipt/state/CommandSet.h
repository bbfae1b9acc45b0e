#pragma once

#include <optional>

namespace zel {

// Where the receipt stands, as far as its commands care. Each step names the moment the form
// reaches, not the command that led there.
enum class CommandStep {
    PickingPayment,  // a payment type may be picked (the grid is on)
    GridHeld,        // a touch on the grid is being handled, or the sale is covered
    EntryStarted,    // an amount or a document is being typed on the keypad
    EntryLeft,       // Back: the entry was left, the grid comes back
    EntryGivenUp,    // the entry ended without a payment
    PaymentEnded,    // a payment ended (recorded or not): what may follow depends on coverage
    ChangeRefused,   // the operator kept the payments instead of taking the change
    PaymentsCleared, // Clear removed the payments (card payments stay)
    Closing,         // OK is closing the sale
    ClosingEnded,    // OK returned (the sale closed, or the coupon failed and may be tried again)
    Ending,          // the close is posted: nothing more may start
};

// What the commands depend on besides the step.
struct CommandFacts
{
    bool covered = false;          // the payments cover the amount due
    bool fiscalPrinter = false;    // the fiscal printer is there (the taxpayer id goes on its coupon)
    bool consumerInformed = false; // the buyer was already identified
};

// The commands a step switches on or off; an empty entry keeps what the previous step left.
struct CommandSet
{
    std::optional<bool> grid;       // the payment-type groups and buttons
    std::optional<bool> keypad;     // the on-screen keypad
    std::optional<bool> ok;         // OK
    std::optional<bool> taxpayerId; // "CNPJ/CPF"
    std::optional<bool> exit;       // Exit
    std::optional<bool> clear;      // Clear
    std::optional<bool> discount;   // Discount
};

// The one decision of which commands a step enables.
CommandSet commandsFor(CommandStep step, const CommandFacts& facts);

} // namespace zel
