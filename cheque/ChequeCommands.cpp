#include "TfrmRecebeCheque.h"
#include "cheque/ChequeConfirm.h"
#include "cheque/ChequeEntry.h"
#include "cheque/ChequePrint.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/payment/AmountLimit.h"
#include "receipt/state/ReceiptSession.h"
#include "text/Clock.h"
#include "text/Money.h"
#include "ui_TfrmRecebeCheque.h"

#include <QDateTime>
#include <QLabel>

using namespace Vrm_zel00200;
namespace cheque = zel::cheque;

namespace {

bool imprimeCheques()
{
    return IdImpCupFis == QLatin1String("2");
}

} // namespace

bool TfrmRecebeCheque::perguntaSim(const QString& key, const QString& arg)
{
    const QString text = arg.isEmpty() ? Msg(key) : Msg(key).arg(arg);
    return zel::dialogs().TouchMessageDlg(text, zel::DialogType::Confirmation, zel::DialogButtons::YesNo) ==
           zel::mrYes;
}

void TfrmRecebeCheque::erro(const QString& key)
{
    zel::dialogs().TouchMessageDlg(Msg(key), zel::DialogType::Error, zel::DialogButtons::Ok);
}

void TfrmRecebeCheque::mostraPago()
{
    m_ui->lblValorPago->setText(zel::formatCurrency(doPago));
    m_ui->lblValorPagar->setText(zel::formatCurrency(doApagar));
}

// The confirmation of the cheque on screen. The checks change nothing; a cheque that passes
// them is recorded once (instalment row, movement row, amounts), printed when the host asked
// for it, and then the next instalment is prepared or the form closes. A cheque whose
// printing the operator did not confirm stays recorded: confirming the same cheque again
// prints it again, and confirming a corrected cheque replaces the one recorded.
void TfrmRecebeCheque::spdOkClick()
{
    const zel::Peripherals& devices = zel::peripherals();
    const cheque::ChequeFields fields{m_ui->lblNrParcelas->text(), m_ui->lblValor->text(),
                                      m_ui->lblNrAgencia->text(),  m_ui->lblNrBanco->text(),
                                      m_ui->lblNrConta->text(),    m_ui->lblNrCheque->text(),
                                      m_ui->lblDtImp->text(),      m_ui->lblNmVerso->text()};
    // The largest amount of a receipt holds here as on the keypad; a cheque waiting for its
    // printing to be confirmed gives way to the one confirmed now.
    const zel::Cents anterior = m_aguardaImpressao ? zel::toCents(m_gravados.last().valor) : 0;
    const cheque::CheckContext context{boPrimParcela,          imprimeCheques(),
                                       devices.IdTipoImpFis(), devices.IdTipoImpChq(),
                                       zel::today(),           zel::toCents(doPago) - anterior};
    const cheque::CheckResult check = cheque::checkCheque(fields, context);
    if (!check.erro.isEmpty()) {
        erro(check.erro);
        return;
    }

    const QString chave =
        QStringList{
            QString::number(check.valor, 'f', 2), fields.agencia, fields.banco, fields.conta, fields.cheque,
            check.data.toString(Qt::ISODate)}
            .join(u'|');
    const bool reimpressao = m_aguardaImpressao && m_gravados.last().chave == chave;
    // The field shows the value as it is recorded, to the cent.
    m_ui->lblValor->setText(cheque::valueText(check.valor));
    if (!reimpressao && cheque::dataDistante(check.data, context.today)) {
        setCampoAtual(ttData);
        if (!perguntaSim(QStringLiteral("DtDistante"), check.data.toString(QStringLiteral("dd/MM/yyyy"))))
            return;
    }
    if (!reimpressao) {
        stRetBanco = fields.banco;
        stRetCheque = fields.cheque;
        stRetAgencia = fields.agencia;
        stRetConta = fields.conta;
        stRetData = fields.data;
        doVrParcela = check.valor;

        // A cheque recorded before whose printing was not confirmed gives way to this one.
        const double anterior = m_aguardaImpressao ? m_gravados.last().valor : 0;
        const double apagar = cheque::apagarDepois(doApagar + anterior, doVrParcela);
        if (apagar < 0) {
            setCampoAtual(ttValor);
            if (!perguntaSim(QStringLiteral("ValorInvMaior")))
                return;
        }
        if (m_aguardaImpressao) {
            desfaz(m_gravados.takeLast());
            m_aguardaImpressao = false;
        }
        registra(chave, doVrParcela, check.data);
        doApagar = apagar;
        doPago = zel::Trunc2(doPago + doVrParcela);
        mostraPago();
        if (boPrimParcela) {
            stRetParcela = fields.parcelas;
            if (stRetParcela.toInt() > 1)
                boContinua = true;
        }
    }

    if (imprimeCheques()) {
        m_aguardaImpressao = true;
        imprimeCheque();
        if (!perguntaSim(QStringLiteral("ImpCheque_ok"))) {
            zel::peripherals().Fecha_Imp_Chq_Sweda(false, false);
            return;
        }
        m_aguardaImpressao = false;
    }
    proximaParcela();
}

// The movement row first, then the instalment row; a failure in between takes the movement
// back, so a cheque is in both tables or in neither.
void TfrmRecebeCheque::registra(const QString& chave, double valor, const QDate& data)
{
    zel::ReceiptSession& receipt = *m_receipt;
    ChequeGravado gravado;
    gravado.valor = valor;
    gravado.chave = chave;
    // The cheque payment type the operator touched, else the first one the configuration has;
    // with none, nothing is recorded.
    const QString tipo = cheque::chequeType(receipt.cdsReceb);
    if (!tipo.isEmpty()) {
        zel::ReceiptSession::Payment pagamento;
        pagamento.valor = valor;
        pagamento.cdTipoRece = tipo;
        pagamento.cheque = zel::ChequeData{stRetAgencia, stRetBanco, stRetConta, stRetCheque, data};
        gravado.movimento = receipt.recordPayment(pagamento);
    }
    try {
        gravado.parcela = cheque::gravaParcela(receipt.cdsParcelas, valor);
    } catch (...) {
        receipt.removeMovement(gravado.movimento);
        throw;
    }
    m_gravados.append(gravado);
}

void TfrmRecebeCheque::desfaz(const ChequeGravado& gravado)
{
    zel::ReceiptSession& receipt = *m_receipt;
    receipt.removeMovement(gravado.movimento);
    cheque::apagaLinha(receipt.cdsParcelas, gravado.parcela);
    doApagar = cheque::apagarDepois(doApagar, -gravado.valor);
    doPago = zel::Trunc2(doPago - gravado.valor);
}

// The front of the cheque, then its back text when there is one and the operator wants it.
// The printer's answers are not examined: the operator says whether the cheque came out right.
void TfrmRecebeCheque::imprimeCheque()
{
    zel::Peripherals& devices = zel::peripherals();
    const cheque::ChequePrinter printer =
        cheque::chequePrinterFor(devices.IdTipoImpFis(), devices.IdTipoImpChq());
    if (printer == cheque::ChequePrinter::None)
        return;
    const auto send = [&](const QStringList& commands) {
        for (const QString& command : commands) {
            if (printer == cheque::ChequePrinter::Escape) {
                devices.ImpChqChar(command);
            } else {
                const QByteArray bytes = command.toLatin1();
                devices.Retorno_Imp(devices.EnviaComImpChq(bytes.constData()));
            }
        }
    };
    const QString verso = m_ui->lblNmVerso->text();
    send(cheque::frontCommands(printer, {doVrParcela, m_ui->lblNrBanco->text(), stDataDig, verso, stAno}));
    if (!verso.isEmpty() && perguntaSim(QStringLiteral("ImpVerso")))
        send(cheque::backCommands(printer, verso));
}

void TfrmRecebeCheque::proximaParcela()
{
    // Nothing left to pay ends the cheques, however many instalments were announced.
    if (!boContinua || doApagar <= 0) {
        boContinua = false;
        postClose();
        return;
    }
    // The next cheque starts with the commands in reach, whatever keyboard confirmed this one.
    closeKeyboards();
    boPrimParcela = false;
    ++NrParcela;
    stRetParcela = QString::number(stRetParcela.toInt() - 1);
    LimpaCampos();
    m_ui->lblNmParcela->setText(QString::number(NrParcela) + Msg(QStringLiteral("Parcela")));
    if (stRetParcela.toInt() < 2)
        boContinua = false;
}

// Leaving takes back every cheque this form recorded, and only those: their movement rows
// and the instalment table. The amounts and the last cheque's texts stay as they are.
void TfrmRecebeCheque::spdSairClick()
{
    if (boSaindo)
        return;
    boSaindo = true;
    struct Clear
    {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{boSaindo};

    zel::ReceiptSession& receipt = *m_receipt;
    for (const ChequeGravado& gravado : std::as_const(m_gravados))
        receipt.removeMovement(gravado.movimento);
    m_gravados.clear();
    m_aguardaImpressao = false;
    receipt.cdsParcelas.close();
    receipt.cdsParcelas.createDataSet();
    postClose();
}
