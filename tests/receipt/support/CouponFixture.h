#pragma once

#include "receipt/form/TfrmRecebimento.h"
#include "support/ScriptedDialogs.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace zel::test {

// A receipt form holding a sale ready for its coupon: the host's aliquot table (codes "NN",
// "FF", "II" and "T18" for kind T at 18 %), two payment types (cash "004", ticket "005") and
// scripted dialogs. The test installs the peripheral services.
class CouponFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A sale line "Produto <cd>" of tax kind `kind` at rate `pc`.
    void line(const QString& cd, const QString& kind, double qt, double preco, double desc = 0,
              const QString& naoFiscal = "N", double pc = 18);
    void threeItems(); // "001", "002", "003": kind T, 1 × 10,00
    void movement(const QString& tipoMov, const QString& code, double value);
    // The charges beyond the products and the receipt's discount, in the sale's ledger.
    void charges(double servico, double consumacao, double descComanda, double desconto = 0);
    // OK's printing of a covered sale: with no payment recorded, the sale is paid in cash
    // (a type that gives change in itself) to the cent first.
    bool print();
    // A field of every sale line, in order, as text ("" for null).
    QStringList saleColumn(const QString& field);

    ScopedScriptedDialogs dialogs;
    std::unique_ptr<TfrmRecebimento> form;
};

} // namespace zel::test
