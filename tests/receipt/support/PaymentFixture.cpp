#include "PaymentFixture.h"

#include "PaymentTypes.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "text/FiliProc.h"

#include <QSettings>

namespace zel::test {

namespace {

struct Kind
{
    const char* nome;
    const char* idTipo;
    const char* troco;
    const char* indice;
};

const Kind kKinds[] = {{"Dinheiro", "4", "001", ""}, {"Crédito", "1", "", ""},   {"Débito", "2", "", ""},
                       {"Cheque", "3", "001", ""},   {"Ticket", "5", "001", ""}, {"Vale", "7", "", ""},
                       {"Dólar", "6", "001", "USD"}, {"Convênio", "8", "", ""},  {"Outro", "0", "", ""}};

} // namespace

void PaymentFixture::SetUp()
{
    ReceiptFixture::SetUp();
    ASSERT_TRUE(dataDir.isValid());
    // The receipt's settings come from an empty store of the test, never the machine's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, dataDir.filePath("settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, dataDir.filePath("settings"));
    devices->setDsDirCad(dataDir.path() + QStringLiteral("/"));
    devices->setDefault(QStringLiteral("TecladoOK"), false);
    devices->setDefault(QStringLiteral("DisplayOK"), false);
    setFiliProc(QStringLiteral("0007"));
    addSaleLine(1, 100);
    definePaymentTypes(tipos);
    for (int i = 0; i < 9; ++i) {
        TipoRow row;
        row.cd = QStringLiteral("%1").arg(i + 1, 3, 10, QChar(u'0'));
        row.nome = row.caption = QString::fromUtf8(kKinds[i].nome);
        row.idTipo = QString::fromLatin1(kKinds[i].idTipo);
        row.nrButton = QStringLiteral("%1").arg(i + 1, 2, 10, QChar(u'0'));
        addTipo(tipos, row);
        tipos.edit();
        tipos.fieldByName("CDTIPOTROCO").setString(QString::fromLatin1(kKinds[i].troco));
        tipos.fieldByName("NRORDTROCO").setString(QString::number(i + 1));
        tipos.fieldByName("CDINDICE").setString(QString::fromLatin1(kKinds[i].indice));
        tipos.post();
    }
    clientes.append();
    const char* client[] = {"C1", "J", "11222333000181", "501", "Alfa Refeições Ltda", "Alfa"};
    for (int i = 0; i < 6; ++i)
        clientes.fieldByName(clientes.fieldDefs()[i].name).setString(QString::fromUtf8(client[i]));
    clientes.post();
    consumidores.append();
    const char* consumer[] = {"C1", "9001", "11", "E11", "Ana"};
    for (int i = 0; i < 5; ++i)
        consumidores.fieldByName(consumidores.fieldDefs()[i].name).setString(QString::fromUtf8(consumer[i]));
    consumidores.post();
}

void PaymentFixture::TearDown()
{
    op.reset();
    Vrm_zel00000::InputStep = isNone;
    setFiliProc(QString());
    ReceiptFixture::TearDown();
}

bool PaymentFixture::receber(const QString& idImpCupFis)
{
    if (op)
        op->start();
    return Vrm_zel00000::Recebimento(venda, movimentos, nrVenda, clientes, consumidores, aliquotas, tipos,
                                     QStringLiteral("RES"), QString(), figura, idImpCupFis);
}

void PaymentFixture::waitForStep(Operator& o, int step)
{
    o.waitUntil([step] { return Vrm_zel00000::InputStep == step; },
                QStringLiteral("input step %1").arg(step));
}

void PaymentFixture::closeReceipt(Operator& o)
{
    o.run([] { Vrm_zel00000::frmRecebimento->postClose(); }, QStringLiteral("close the receipt"));
}

TfrmRecebimento* PaymentFixture::form()
{
    return Vrm_zel00000::frmRecebimento;
}

QStringList PaymentFixture::movementSummary()
{
    QStringList rows;
    movimentos.setIndexName(QString());
    for (movimentos.first(); !movimentos.eof(); movimentos.next())
        rows << movimentos.fieldByName("CDTIPORECE").asString() + u' ' +
                    QString::number(movimentos.fieldByName("VRMOVIVEND").asFloat(), 'f', 2);
    return rows;
}

} // namespace zel::test
