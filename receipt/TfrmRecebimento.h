#pragma once

#include "receipt/InputStep.h"

#include "dataset/DataSet.h"
#include "text/Messages.h"
#include "toolkit/TouchForm.h"

#include <QDateTime>

#include <memory>

namespace Ui {
class TfrmRecebimento;
}

// The receipt form: the sale's amounts, the payment-type grid, the keypad, the running list
// and the settlement commands. Its state is plain members under the names the rest of the
// module uses; the widgets come from TfrmRecebimento.ui.
class TfrmRecebimento : public zel::TouchForm {
    Q_OBJECT

public:
    explicit TfrmRecebimento(QWidget* parent = nullptr);
    ~TfrmRecebimento() override;

    // The opening computation; runs while Vrm_zel00000::boIdCriado is set, so once per receipt.
    void FormActivate() override;

    // Widgets by their design names.
    Ui::TfrmRecebimento* ui() const { return m_ui.get(); }

    // Amounts.
    double doVrTotal = 0;
    double doVrAPagar = 0;
    double doVrPago = 0;
    double doVrTroco = 0;
    double doVrServico = 0;
    double doVrConsumacao = 0;
    double doVrDescComanda = 0;
    double doVrDesconto = 0;
    double doPcDesconto = 0;
    QDateTime dtMovFiscal;

    // Entry and navigation.
    QString stValor;
    TTipoTecl TipoTecl = ttNone;
    int NrPagina = 1;
    QString stGrupo = QStringLiteral("01");
    bool boSubstitui = false;

    // Guards and abandon flags.
    bool boMenuOcupado = false;
    bool boEnterOcupado = false;
    bool boFechando = false;
    bool boDesistiu = false;
    bool boVoltou = false;
    bool boConfirmaAuto = false;
    bool boConsumidorInf = false;

    QString stNrCupom;
    QString stCaptionPagar;
    QString stCNPJCPF;
    QString stNome;

    // Datasets.
    zel::DataSet cdsReceb;
    zel::DataSet cdsVendaOk;
    zel::DataSet cdsMovCaixa;
    zel::DataSet cdsAliqImpFis;
    zel::DataSet cdsCliente;
    zel::DataSet cdsConsumidor;
    zel::DataSet cdsDesconto;
    zel::DataSet cdsParcelas;
    zel::DataSet cdsCotacao;
    zel::DataSet cdsRecebimento01;

    zel::TMessages msgPadrao;

    // Shows the amounts in their labels, in the currency format.
    void MostraValores();

    // Settlement commands.
    void tcbSairClick();

private:
    void FormCreate();
    void defineDatasets();

    std::unique_ptr<Ui::TfrmRecebimento> m_ui;
};
