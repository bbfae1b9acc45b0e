// The TEF manager simulator as a process: approvals confirmed and undone, the coupon closing
// that settles them, and what a stop, a kill or removed folders leave behind.

#include "TefApprovals.h"
#include "TefManagerFixture.h"

namespace zel {
namespace {

using State = ManagerApproval::State;

class TefApprovals : public TefManagerProcess
{
protected:
    QMap<QString, State> states() const
    {
        QMap<QString, State> out;
        for (const auto& a : tefapprovals::read(m_config.tef.dir))
            out.insert(a.sequence, a.state);
        return out;
    }

    // An approved exchange with receipt lines, as the module counts it; its sequence.
    QString approveWithSlip(const QString& cents)
    {
        const Outcome outcome = exchange(QStringLiteral("C"), cents);
        EXPECT_EQ(outcome.response.value(intpos::kStatus), QStringLiteral("0"));
        m_devices->setInContCuponsTEF(m_devices->inContCuponsTEF() + 1);
        return outcome.response.sequence();
    }

    // A coupon of one item of `amount`, paid with a card, closed.
    void closeCoupon(double amount)
    {
        DataSet movements(simtest::movementFields());
        DataSet types(simtest::paymentTypeFields());
        movements.createDataSet();
        types.createDataSet();
        simtest::addMovement(movements, QStringLiteral("E"), QStringLiteral("002"), QStringLiteral("CREDITO"),
                             amount);
        ASSERT_TRUE(m_devices->AbreCupom({}));
        ASSERT_TRUE(m_devices->VendaItem({}, QStringLiteral("D"), QStringLiteral("1"), QStringLiteral("X"),
                                         QStringLiteral("F"), 1, amount, 0));
        ASSERT_TRUE(m_devices->AbreCupomRes({}, {}));
        QString number;
        ASSERT_TRUE(m_devices->FechaCupom(false, false, 0, 0, 0, QStringLiteral("S"), true,
                                          QStringLiteral("VISA"), movements, types, number, {}, {}, {}, {},
                                          {}));
    }

    TefDirectory::Settlement settle(const char* header, const QString& approval)
    {
        QString error;
        return m_devices->tef().settle(QLatin1String(header), approval, &error);
    }
};

TEST_F(TefApprovals, CnfConfirmsNcnUndoesAndEveryApprovalIsListed)
{
    const QString a = approveWithSlip(QStringLiteral("1000"));
    const QString b = exchange(QStringLiteral("C"), QStringLiteral("1250")).response.sequence(); // no slip
    const QString c = approveWithSlip(QStringLiteral("1000"));
    exchange(QStringLiteral("C"), QStringLiteral("2000")); // declined: not an approval
    EXPECT_EQ(states(),
              (QMap<QString, State>{{a, State::Pending}, {b, State::Confirmed}, {c, State::Pending}}));

    using S = TefDirectory::Settlement;
    EXPECT_EQ(settle("CNF", a), S::Settled);
    EXPECT_EQ(settle("NCN", c), S::Settled);
    EXPECT_EQ(settle("CNF", a), S::Settled); // again: still confirmed
    EXPECT_EQ(settle("NCN", a), S::Refused); // a confirmed sale is not undone
    EXPECT_EQ(settle("CNF", c), S::Refused); // nor an undone one confirmed
    EXPECT_EQ(settle("CNF", QStringLiteral("999999")), S::Refused);
    EXPECT_EQ(states(),
              (QMap<QString, State>{{a, State::Confirmed}, {b, State::Confirmed}, {c, State::Undone}}));
    EXPECT_EQ(
        QDir(resp()).entryList({QStringLiteral("intpos.001"), QStringLiteral("intpos.sts")}, QDir::Files),
        QStringList());

    ASSERT_TRUE(awaitOutput("undone"));
    for (const QString& line : {QStringLiteral("approval %1 (1000): pending").arg(a),
                                QStringLiteral("approval %1 (1000): confirmed").arg(a),
                                QStringLiteral("approval %1 (1250): confirmed").arg(b),
                                QStringLiteral("approval %1 (1000): undone").arg(c)})
        EXPECT_TRUE(m_output.contains(line.toLatin1())) << line.toStdString() << "\n"
                                                        << m_output.toStdString();

    // The list outlives the manager.
    stopManager();
    start();
    const QString d = approveWithSlip(QStringLiteral("1000"));
    EXPECT_EQ(states().size(), 4);
    EXPECT_EQ(states().value(d), State::Pending);
    EXPECT_EQ(states().value(c), State::Undone);
}

TEST_F(TefApprovals, TheClosingPrintsThisSalesSlipsConfirmsThemAndUndoesAbandonedOnes)
{
    const QString abandoned = approveWithSlip(QStringLiteral("1000"));
    m_devices->setInContCuponsTEF(0); // Exit: the sale is not recorded
    const QString paid = approveWithSlip(QStringLiteral("1500"));
    closeCoupon(15);

    const QString journal = m_devices->fiscalPrinter().journalText();
    EXPECT_TRUE(journal.contains(QStringLiteral("VALOR APROVADO R$ 15,00\n")));
    EXPECT_FALSE(journal.contains(QStringLiteral("VALOR APROVADO R$ 10,00")));
    EXPECT_EQ(states(), (QMap<QString, State>{{abandoned, State::Undone}, {paid, State::Confirmed}}));
    EXPECT_EQ(m_devices->inContCuponsTEF(), 0);
    EXPECT_EQ(QDir(resp()).entryList({QStringLiteral("intpos.*")}, QDir::Files), QStringList());
    EXPECT_EQ(m_devices->tefErrors(), QStringList());
}

TEST_F(TefApprovals, ASilentManagerLeavesTheApprovalPendingAndTheErrorReported)
{
    const QString paid = approveWithSlip(QStringLiteral("1500"));
    stopManager();
    noAnswerExpected(); // waits of 1 s
    QElapsedTimer clock;
    clock.start();
    closeCoupon(15);
    EXPECT_LT(clock.elapsed(), 15000) << "the closing waits for the manager once, not without end";
    EXPECT_TRUE(m_devices->fiscalPrinter().journalText().contains(QStringLiteral("VALOR APROVADO R$ 15,00")));
    EXPECT_EQ(states().value(paid), State::Pending);
    ASSERT_EQ(m_devices->tefErrors().size(), 1);
    EXPECT_TRUE(m_devices->tefErrors().first().startsWith(QStringLiteral("CNF ") + paid));
}

TEST_F(TefApprovals, AStopFinishesAResponseHalfWritten)
{
    const QString sequence = sendTaken(QStringLiteral("6100"));
    ASSERT_TRUE(TefDirectory::waitUntil(
        resp(), test::kHangLimitMs, [&] { return QFile::exists(resp() + QStringLiteral("intpos.001")); }));
    stopManager();
    const auto response = readIntPosFile(resp() + QStringLiteral("intpos.001"));
    ASSERT_TRUE(response);
    EXPECT_TRUE(response->isComplete());
    EXPECT_EQ(response->sequence(), sequence);
    EXPECT_EQ(response->value(intpos::kStatus), QStringLiteral("0"));
    EXPECT_EQ(states().value(sequence), State::Pending);
}

class OwedAnswers : public TefApprovals, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(OwedAnswers, AreWithdrawnAsFailuresAtAStop)
{
    const QString sequence = sendTaken(QLatin1String(GetParam()));
    QElapsedTimer clock;
    clock.start();
    stopManager();
    EXPECT_LT(clock.elapsed(), 15000) << "the stop does not wait for the delayed answer (20 s)";
    const auto response = readIntPosFile(resp() + QStringLiteral("intpos.001"));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->header(), QStringLiteral("XXX"));
    EXPECT_EQ(response->sequence(), sequence);
    EXPECT_TRUE(response->isComplete());
    EXPECT_FALSE(states().contains(sequence));
}

INSTANTIATE_TEST_SUITE_P(Rules, OwedAnswers, ::testing::Values("4100", "9000")); // delayed, silent

// A till still waiting when the manager is started again gets a failure of its own sequence
// in place of the half response, never a wait without end.
TEST_F(TefApprovals, ARestartAnswersWhatAKilledRunLeftHalfWrittenAsAFailure)
{
    const QString sequence = sendTaken(QStringLiteral("6100"));
    const QString response = resp() + QStringLiteral("intpos.001");
    // Killed once the first half is written (the file is made empty a moment before).
    ASSERT_TRUE(TefDirectory::waitUntil(resp(), test::kHangLimitMs, [&] {
        const auto half = readIntPosFile(response);
        return half && half->sequence() == sequence;
    }));
    m_manager.kill();
    ASSERT_TRUE(test::ended(m_manager));
    ASSERT_FALSE(readIntPosFile(response)->isComplete());

    start();
    ASSERT_TRUE(TefDirectory::waitUntil(resp(), test::kHangLimitMs, [&] {
        const auto answered = readIntPosFile(response);
        return answered && answered->isComplete();
    }));
    const auto answered = readIntPosFile(response);
    EXPECT_EQ(answered->header(), QStringLiteral("XXX"));
    EXPECT_EQ(answered->sequence(), sequence);
    EXPECT_EQ(states().value(sequence), State::Pending); // the till's closing undoes it
    ASSERT_TRUE(QFile::remove(response));                // taken by the till
    EXPECT_EQ(exchange(QStringLiteral("C"), QStringLiteral("1250")).response.value(intpos::kStatus),
              QStringLiteral("0"));
}

TEST_F(TefApprovals, FoldersRemovedAndMadeAgainAreWatchedAgain)
{
    for (const char* name : {"req", "resp"}) {
        ASSERT_TRUE(QDir(m_config.tef.dir + QLatin1String(name)).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(m_config.tef.dir + QLatin1String(name)));
    }
    EXPECT_TRUE(awaitOutput("req again"));
    EXPECT_TRUE(awaitOutput("resp again")) << m_output.toStdString();
    EXPECT_EQ(exchange(QStringLiteral("C"), QStringLiteral("1250")).response.value(intpos::kStatus),
              QStringLiteral("0"));
}

} // namespace
} // namespace zel
