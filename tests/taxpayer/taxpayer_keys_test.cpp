#include "support/QStringPrinter.h"
#include "taxpayer/TaxpayerKeys.h"

#include <gtest/gtest.h>
#include <ostream>

using namespace zel;

namespace {

// Types `chars` in `step` and answers the step's text.
QString typed(int step, const QString& chars, TaxpayerEntry entry = {})
{
    for (const QChar c : chars)
        taxpayerKeyPress(step, entry, c);
    return step == kPassoNumero ? entry.stCNPJCPF : entry.stNome;
}

} // namespace

TEST(TaxpayerKeys, EachStepTakesItsOwnCharacters)
{
    struct Row
    {
        int step;
        QString keys, text;
    };
    const Row rows[] = {
        {kPassoNumero, "529.982.247-25", "529.982.247-25"},
        {kPassoNumero, "12.abc.345/01De-35", "12.ABC.345/01DE-35"}, // letters in capitals
        {kPassoNumero, "1 2;3*ç\t4", "1234"},
        // Punctuation only where a standard form has it, once.
        {kPassoNumero, "5.2.9.9.8.2.2.4.7.2.5////,,,,", "52.998.224725"},
        {kPassoNumero, "529..982,247--25", "529.982247-25"},
        {kPassoNumero, "11.222.333/0001-81", "11.222.333/0001-81"},
        {kPassoNumero, "123456789012345678", "12345678901234"},            // fourteen at most
        {kPassoNome, "Ana Luíza-ÇçSilva, 3/4.", "Ana LuizaÇçSilva, 3/4."}, // no "-"; "í" as "i"
        {kPassoNome, "José Antônio ÂÉÎÕÜàñ", "Jose Antonio AEIOUan"},
        {kPassoNome, QString(50, u'x'), QString(kNomeMaximo, u'x')},
        {kPassoFim, "123", ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(typed(r.step, r.keys), r.text) << r.keys.toStdString();
}

TEST(TaxpayerKeys, AcceptedNumbersComeBackInTheirStandardForm)
{
    struct Row
    {
        QString typed, standard;
    };
    const Row rows[] = {
        {"52998224725", "529.982.247-25"},        {"5299822472.5", "529.982.247-25"},
        {"11222333000181", "11.222.333/0001-81"}, {"12.abc.345/01de35", "12.ABC.345/01DE-35"},
        {"529982247-24", "529982247-24"}, // refused: left as typed
    };
    for (const Row& r : rows)
        EXPECT_EQ(taxpayerNumberStandard(r.typed), r.standard) << r.typed.toStdString();
}

TEST(TaxpayerKeys, KeyDownEditsEndsOrExitsTheStep)
{
    struct Row
    {
        int step;
        QString before;
        int key;
        TaxpayerKey action;
        QString after;
    };
    const Row rows[] = {
        {kPassoNumero, "123", Qt::Key_Backspace, TaxpayerKey::Show, "12"},
        {kPassoNome, "", Qt::Key_Backspace, TaxpayerKey::Show, ""},
        {kPassoNumero, "123", Qt::Key_Delete, TaxpayerKey::Show, ""},
        {kPassoNumero, "", Qt::Key_Return, TaxpayerKey::None, ""},
        {kPassoNumero, ".", Qt::Key_Enter, TaxpayerKey::CheckNumber, "."},
        {kPassoNome, "", Qt::Key_Return, TaxpayerKey::EndName, ""},
        {kPassoNome, "Ana", Qt::Key_Escape, TaxpayerKey::Exit, "Ana"},
        {kPassoFim, "123", Qt::Key_Backspace, TaxpayerKey::None, "123"},
    };
    for (const Row& r : rows) {
        TaxpayerEntry e;
        (r.step == kPassoNome ? e.stNome : e.stCNPJCPF) = r.before;
        EXPECT_EQ(taxpayerKeyDown(r.step, e, r.key), r.action) << r.key;
        EXPECT_EQ(r.step == kPassoNome ? e.stNome : e.stCNPJCPF, r.after) << r.key;
    }
}
