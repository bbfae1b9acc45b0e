#include "receipt/state/CommandSet.h"

#include <gtest/gtest.h>

using zel::CommandFacts;
using zel::CommandSet;
using zel::CommandStep;

namespace {

constexpr CommandStep kSteps[] = {
    CommandStep::PickingPayment, CommandStep::GridHeld,        CommandStep::EntryStarted,
    CommandStep::EntryLeft,      CommandStep::EntryGivenUp,    CommandStep::PaymentEnded,
    CommandStep::ChangeRefused,  CommandStep::PaymentsCleared, CommandStep::Closing,
    CommandStep::ClosingEnded,   CommandStep::Ending,
};

bool on(const std::optional<bool>& command)
{
    return command.value_or(false);
}

} // namespace

// The rules that keep money safe hold for every step under every combination of facts: no
// OK before the payments cover the sale, no taxpayer id off the fiscal coupon or twice, no
// command that changes the payments while an amount is typed, nothing started once the close
// is posted, and after a payment the grid for the next one exactly when the sale is not covered.
TEST(CommandSet, NoStepEnablesWhatTheReceiptsStateForbids)
{
    for (CommandStep step : kSteps) {
        for (int bits = 0; bits < 8; ++bits) {
            const CommandFacts facts{.covered = (bits & 1) != 0,
                                     .fiscalPrinter = (bits & 2) != 0,
                                     .consumerInformed = (bits & 4) != 0};
            const CommandSet set = zel::commandsFor(step, facts);
            SCOPED_TRACE(testing::Message() << "step " << int(step) << " facts " << bits);
            if (on(set.ok))
                EXPECT_TRUE(facts.covered);
            if (on(set.taxpayerId))
                EXPECT_TRUE(facts.covered && facts.fiscalPrinter && !facts.consumerInformed);
            if (on(set.keypad)) {
                EXPECT_FALSE(on(set.grid));
                EXPECT_EQ(set.exit, std::optional(false));
                EXPECT_EQ(set.clear, std::optional(false));
                EXPECT_EQ(set.discount, std::optional(false));
            }
            if (set.keypad.has_value())
                EXPECT_TRUE(set.exit == set.clear && set.clear == set.discount);
            if (step == CommandStep::Ending) {
                EXPECT_FALSE(on(set.grid) || on(set.keypad) || on(set.ok) || on(set.taxpayerId));
            }
            if (step == CommandStep::PaymentEnded) {
                EXPECT_EQ(set.grid, std::optional(!facts.covered));
                EXPECT_EQ(set.ok, std::optional(facts.covered));
            }
        }
    }
}
