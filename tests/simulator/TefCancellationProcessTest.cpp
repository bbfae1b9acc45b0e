// Administrative cancellations (CNC) against the TEF manager simulator as a process, sent the
// way the receipt module sends them: a sequence from GetSequence, the request written aside and
// renamed into place, the take awaited with CheckGPAtivo, the answer read, the files removed
// with DeleteIntPosFiles.

#include "TefApprovals.h"
#include "TefManagerFixture.h"

#include <QSaveFile>

namespace zel {
namespace {

using State = ManagerApproval::State;

// What happens to the approval before the cancellation.
enum class Before { Nothing, UndoneByNcn, Cancelled };
// What the cancellation names.
enum class Naming { TheApproval, UnknownSequence, OtherAmount, OtherNsu };

struct Cancellation
{
    const char* name;
    const char* cents; // the approval's amount; rules for cancellations match it too
    Before before;
    Naming naming;
    bool stopFirst;     // the manager is stopped before it answers (a silent rule)
    const char* header; // line 1 of the answer
    const char* status; // 009-000 of a CNC answer
    const char* message;
    State after; // the approval's state in the end
};

void PrintTo(const Cancellation& c, std::ostream* os)
{
    *os << c.name;
}

class TefCancellation : public TefManagerProcess, public ::testing::WithParamInterface<Cancellation>
{
protected:
    State stateOf(const QString& sequence) const
    {
        for (const auto& a : tefapprovals::read(m_config.tef.dir)) {
            if (a.sequence == sequence)
                return a.state;
        }
        ADD_FAILURE() << "approval " << sequence.toStdString() << " is not listed";
        return State::Pending;
    }

    // The request as the module writes it, aside and renamed into place; its sequence, once the
    // manager took it (empty when it did not).
    QString send(const QString& header, const QStringList& fields)
    {
        const QString sequence = m_devices->GetSequence();
        IntPosFile request;
        request.add(intpos::kHeader, header);
        request.add(intpos::kSequence, sequence);
        for (const QString& field : fields)
            request.add(field.section(QLatin1Char('='), 0, 0), field.section(QLatin1Char('='), 1));
        request.addEnd();
        QSaveFile file(req());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(request.toBytes()) > 0 && file.commit());
        return m_devices->CheckGPAtivo(header, sequence) ? sequence : QString();
    }

    QString sendCancellation(const QString& approval, const QString& cents, const QString& nsu)
    {
        return send(QStringLiteral("CNC"),
                    {intpos::kAmount + QLatin1Char('=') + cents, intpos::kNsu + QLatin1Char('=') + nsu,
                     intpos::kTarget + QLatin1Char('=') + approval});
    }

    // The files in resp/ of the exchange `sequence`.
    int filesOf(const QString& sequence) const
    {
        int count = 0;
        for (const QString& name : QDir(resp()).entryList({QStringLiteral("intpos.*")}, QDir::Files))
            count += readIntPosFile(resp() + name)->sequence() == sequence;
        return count;
    }
};

TEST_P(TefCancellation, TakesBackAnApprovalOnlyWhenItIsNamedAndTheRulesAllow)
{
    const Cancellation& c = GetParam();
    const IntPosFile approved = exchange(QStringLiteral("C"), QLatin1String(c.cents)).response;
    ASSERT_EQ(approved.value(intpos::kStatus), QStringLiteral("0"));
    const QString approval = approved.sequence();
    const QString nsu = approved.value(intpos::kNsu);
    ASSERT_FALSE(nsu.isEmpty()) << "an approval carries its NSU";
    const QString cents = QLatin1String(c.cents);

    if (c.before == Before::UndoneByNcn) {
        const QString undo = send(QStringLiteral("NCN"), {intpos::kTarget + QStringLiteral("=") + approval});
        ASSERT_FALSE(undo.isEmpty()) << "an NCN written by the till is taken";
        EXPECT_EQ(awaitResponse(QStringLiteral("NCN"), undo).response.value(intpos::kStatus),
                  QStringLiteral("0"));
        m_devices->DeleteIntPosFiles(resp(), undo);
    } else if (c.before == Before::Cancelled) {
        const QString first = sendCancellation(approval, cents, nsu);
        ASSERT_FALSE(first.isEmpty());
        EXPECT_EQ(awaitResponse(QStringLiteral("CNC"), first).response.value(intpos::kStatus),
                  QStringLiteral("0"));
        m_devices->DeleteIntPosFiles(resp(), first);
    }
    const int approvalFiles = filesOf(approval);

    const QString named = c.naming == Naming::UnknownSequence ? QStringLiteral("999999") : approval;
    const QString sequence =
        sendCancellation(named, c.naming == Naming::OtherAmount ? cents + QLatin1Char('0') : cents,
                         c.naming == Naming::OtherNsu ? QStringLiteral("999999") : nsu);
    ASSERT_FALSE(sequence.isEmpty()) << "CheckGPAtivo(\"CNC\", ...) sees the take";
    if (c.stopFirst)
        stopManager();
    const IntPosFile answer = awaitResponse(QStringLiteral("CNC"), sequence).response;
    EXPECT_EQ(answer.lines().value(0), QStringLiteral("000-000 = ") + QLatin1String(c.header));
    EXPECT_EQ(answer.lines().value(1), QStringLiteral("001-000 = ") + sequence);
    EXPECT_EQ(answer.value(intpos::kMessage), QLatin1String(c.message));
    if (answer.header() == QLatin1String("CNC")) {
        EXPECT_EQ(answer.find(intpos::kStatus), std::optional<QString>(QLatin1String(c.status)));
        EXPECT_EQ(answer.value(intpos::kTarget), named);
        EXPECT_EQ(answer.value(intpos::kReceiptCount), QStringLiteral("0"));
    }
    EXPECT_EQ(stateOf(approval), c.after);

    // The till's clean-up takes the cancellation's files and leaves the approval's.
    EXPECT_GT(filesOf(sequence), 0);
    EXPECT_TRUE(m_devices->DeleteIntPosFiles(resp(), sequence));
    EXPECT_EQ(filesOf(sequence), 0);
    EXPECT_EQ(filesOf(approval), approvalFiles);

    if (c.after == State::Cancelled) {
        ASSERT_TRUE(awaitOutput("cancelled"));
        EXPECT_TRUE(
            m_output.contains(QStringLiteral("approval %1 (%2): cancelled").arg(approval, cents).toLatin1()))
            << m_output.toStdString();
        // Neither confirmed nor undone afterwards.
        QString error;
        EXPECT_EQ(m_devices->tef().settle(QStringLiteral("CNF"), approval, &error),
                  TefDirectory::Settlement::Refused);
        EXPECT_EQ(m_devices->tef().settle(QStringLiteral("NCN"), approval, &error),
                  TefDirectory::Settlement::Refused);
        EXPECT_TRUE(error.contains(QStringLiteral("ja cancelada"))) << error.toStdString();
        EXPECT_EQ(stateOf(approval), State::Cancelled);
    }
}

constexpr auto kNothing = Before::Nothing;
constexpr auto kNamed = Naming::TheApproval;

INSTANTIATE_TEST_SUITE_P(
    Cases, TefCancellation,
    ::testing::Values(Cancellation{"PendingApprovalCancelled", "1000", kNothing, kNamed, false, "CNC", "0",
                                   "Transacao cancelada", State::Cancelled},
                      Cancellation{"ConfirmedApprovalCancelled", "1250", kNothing, kNamed, false, "CNC", "0",
                                   "Transacao cancelada", State::Cancelled},
                      Cancellation{"CancelledAgainAnswersTheSame", "1250", Before::Cancelled, kNamed, false,
                                   "CNC", "0", "Transacao cancelada", State::Cancelled},
                      Cancellation{"UnknownSequenceRefused", "1250", kNothing, Naming::UnknownSequence, false,
                                   "CNC", "1", "Transacao desconhecida", State::Confirmed},
                      Cancellation{"OtherAmountRefused", "1250", kNothing, Naming::OtherAmount, false, "CNC",
                                   "1", "Valor nao confere", State::Confirmed},
                      Cancellation{"OtherNsuRefused", "1000", kNothing, Naming::OtherNsu, false, "CNC", "1",
                                   "NSU nao confere", State::Pending},
                      Cancellation{"UndoneByNcnRefused", "1000", Before::UndoneByNcn, kNamed, false, "CNC",
                                   "1", "Transacao ja desfeita", State::Undone},
                      Cancellation{"RuleDeclineLeavesTheApproval", "1300", kNothing, kNamed, false, "CNC",
                                   "57", "Cancelamento nao permitido", State::Confirmed},
                      Cancellation{"RuleFailLeavesTheApproval", "1700", kNothing, kNamed, false, "XXX",
                                   nullptr, "Falha na comunicacao", State::Confirmed},
                      Cancellation{"RuleSilentIsWithdrawnAtAStop", "1400", kNothing, kNamed, true, "XXX",
                                   nullptr, "Gerenciador TEF encerrado", State::Confirmed}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel
