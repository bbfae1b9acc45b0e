#include "consumer/Vrm_zel00400.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/RunningListMemo.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/AmountLimit.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/QuoteFile.h"
#include "text/Clock.h"
#include "text/FiliProc.h"
#include "text/Money.h"
#include "ui_TfrmRecebimento.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

using Vrm_zel00000::InputStep;

// Foreign currency: the quote this sale uses for the payment type's index, then the amount in
// that currency. At the currency's first use in the sale the quote is the one stored for the
// reference date, or asked when none is; a quote typed here is written to the quote file at
// once, however the entry goes on.
bool TfrmRecebimento::EntradaMoeda(zel::ForeignPayment& pagamento, double& cotacao)
{
    const QString indice = cdsReceb.fieldByName(QStringLiteral("CDINDICE")).asString();
    const auto cotacaoDoDia = [&]() -> bool {
        zel::Peripherals& devices = zel::peripherals();
        if (const zel::Status opened = zel::quotes::open(cdsCotacao, devices.DsDirCad()); !opened) {
            DesisteEntrada(msgPadrao.Msg(QStringLiteral("ErroCotacao")) + QLatin1Char(' ') +
                           opened.errorMessage());
            return false;
        }
        const auto fecha = qScopeGuard([this] {
            if (const zel::Status saved = zel::quotes::close(cdsCotacao); !saved)
                zel::dialogs().TouchMessageDlg(msgPadrao.Msg(QStringLiteral("ErroCotacao")) +
                                                   QLatin1Char(' ') + saved.errorMessage(),
                                               zel::DialogType::Error, zel::DialogButtons::Ok);
        });
        const QDate referencia = zel::quoteReferenceDate(dtMovFiscal);
        if (const std::optional<double> guardada = zel::quotes::find(cdsCotacao, indice, referencia)) {
            cotacao = *guardada;
            if (zel::isUsableQuote(cotacao))
                return true;
            // A stored quote of 0, below 0, empty or too large is asked again, not left to make
            // the currency unusable for the day.
            zel::dialogs().TouchMessageDlg(msgPadrao.Msg(QStringLiteral("CotacaoGuardadaInvalida"))
                                               .arg(indice, zel::formatFixed(cotacao)),
                                           zel::DialogType::Error, zel::DialogButtons::Ok);
        }
        // A quote of 0 or below, or above the largest amount, is refused and asked again.
        for (;;) {
            if (!PedeValor(isMoeda1, zel::formatFixed(1), false, isMoeda2) || !LeValor(cotacao, false))
                return false;
            if (zel::isUsableQuote(cotacao))
                break;
            zel::dialogs().TouchMessageDlg(
                msgPadrao.Msg(QStringLiteral("CotacaoInvalida")).arg(zel::formatFixed(zel::maxAmount())),
                zel::DialogType::Error, zel::DialogButtons::Ok);
        }
        zel::quotes::add(cdsCotacao, indice, referencia, cotacao);
        return true;
    };
    if (const std::optional<double> usada = m_session.saleQuotes().find(indice))
        cotacao = *usada;
    else if (cotacaoDoDia())
        m_session.saleQuotes().use(indice, cotacao);
    else
        return false;

    double digitado = 0;
    if (!PedeValor(isMoeda2, zel::formatFixed(doVrAPagar / cotacao), false, isNone) ||
        !LeValor(digitado, false))
        return false;
    pagamento = zel::foreignPayment(digitado, cotacao);
    return true;
}

// Client account: the consumer identification, once per receipt; the whole amount due.
bool TfrmRecebimento::EntradaConta(double& valor)
{
    // The entry's frame is hidden while the consumer is identified; a design without a
    // separate bevel draws the frame with the entry label itself.
    QWidget* frame = findChild<QWidget*>(QStringLiteral("bvlInputReceb2"));
    if (!frame)
        frame = m_ui->lblInputReceb2;
    frame->setVisible(false);
    const auto mostra = qScopeGuard([frame] { frame->setVisible(true); });
    if (stCodCliente.isEmpty()) {
        // Consumidor hands back the client found even when the consumer step was cancelled:
        // the receipt takes the codes of a confirmed identification only.
        QString cdConsumidor, nmConsumidor, cdCliente;
        if (!Vrm_zel00400::Consumidor(&m_session, Vrm_zel00000::stFigura, cdConsumidor, nmConsumidor,
                                      cdCliente, Vrm_zel00400::stNmCliente, Vrm_zel00400::stNmFantClie)) {
            // Given up: the form is left as Back leaves it, payment types usable, so the
            // operator never has to clear the payments already taken to go on.
            CtrlBotoes(QStringLiteral("D"));
            boDesistiu = true;
            return false;
        }
        stCodConsumidor = cdConsumidor;
        stNomeConsumidor = nmConsumidor;
        stCodCliente = cdCliente;
    }
    valor = doVrAPagar;
    boConsumidorInf = true;
    return true;
}

// Cheques under a fiscal printer: the cheque form recorded one movement per cheque through the
// session (the list and the amounts show them as they are taken) and left their values in
// cdsParcelas, which is emptied here.
void TfrmRecebimento::AplicaParcelas()
{
    cdsParcelas.close();
    cdsParcelas.createDataSet();
    QFile::remove(QDir(zel::peripherals().DsDirCad()).filePath(QStringLiteral("Parcelas.cds")));
}

// The keyboard display's summary and the customer display's totals.
void TfrmRecebimento::MostraResumo()
{
    zel::Peripherals& devices = zel::peripherals();
    if (devices.TecladoOK()) {
        const QStringList linhas = zel::keyboardSummary(msgPadrao, doVrTotal, doVrPago, doVrAPagar);
        devices.TeclFormFeed();
        devices.TeclGoToXY(1, 1);
        devices.TeclDispStr(linhas.value(0));
        devices.TeclGoToXY(2, 1);
        devices.TeclDispStr(linhas.value(1));
    }
    if (devices.DisplayOK()) {
        const int largura = devices.TAM_DISPLAY();
        devices.DisplayChar(QString(QChar(12)));
        devices.DisplayChar(
            zel::customerDisplayLine(msgPadrao.Msg(QStringLiteral("Total")), doVrTotal, largura));
        devices.DisplayChar(
            zel::customerDisplayLine(msgPadrao.Msg(QStringLiteral("TotalPago")), doVrPago, largura));
    }
}
