#pragma once

#include "cheque/Vrm_zel00200.h"
#include "toolkit/TouchForm.h"

#include <QDate>
#include <QList>
#include <QString>
#include <memory>

class QLabel;
class QWidget;

namespace Ui {
class TfrmRecebeCheque;
}

namespace zel {
class ReceiptSession;
class TTouchButton;
} // namespace zel

// The cheque form: the cheques that pay the sale, or what is still due of it. Each field is
// chosen with its button and typed on one of three on-screen keyboards (numeric, amount,
// alphanumeric) or on a physical keyboard; both reach the same two key handlers. The fields'
// contents live in their value labels. The widgets come from TfrmRecebeCheque.ui.
class TfrmRecebeCheque : public zel::TouchForm
{
    Q_OBJECT

public:
    using TTipoTecl = Vrm_zel00200::TTipoTecl;

    // `receipt`: the running receipt, where the cheques are recorded (none: the form refuses
    // to open, with the catalogue's reason).
    explicit TfrmRecebeCheque(zel::ReceiptSession* receipt, QWidget* parent = nullptr);
    ~TfrmRecebeCheque() override;

    // The opening texts (instalment title, amounts) and the first field; once per form.
    void FormActivate() override;

    Ui::TfrmRecebeCheque* ui() const { return m_ui.get(); }

    // Prepares the form for the next instalment: the fields emptied (the instalment count
    // kept, and no longer enterable), the value field current.
    void LimpaCampos();

    // Confirmation and exit. The OK button and an Enter with value, branch, bank and account
    // filled both reach spdOkClick.
    void spdOkClick();
    void spdSairClick();

    // Field selection: opens the field's keyboard, makes the field current, and the next
    // character typed starts its content anew.
    void spdParcelasClick();
    void spdValorClick();
    void spdAgenciaClick();
    void spdBancoClick();
    void spdContaClick();
    void spdChequeClick();
    void spdDataClick();
    void spdVersoClick();

    // Year digits printed by the command-string cheque printer.
    void spdA1Click();
    void spdA2Click();
    void spdA3Click();
    void spdA4Click();

    // Alphanumeric keyboard.
    void spd1Click(zel::TTouchButton* sender);
    void spdCCdilClick();
    void spdBackSpaceClick();
    void spdLimparClick();
    void spdEnterClick();
    void spdCancelarClick();
    void spdShiftClick();
    void spdCapsLockClick();

    // Amount keypad.
    void spt1Click(zel::TTouchButton* sender);
    void spt00Click();
    void spt000Click();
    void sptVirgulaClick();
    void sptLimparClick();
    void sptEnterClick();
    void sptSCancelarClick();

    // Numeric keypad.
    void spdN1Click(zel::TTouchButton* sender);
    void spdNLimparClick();
    void spdNEnterClick();
    void spdNCancelarClick();

    // Second names of handlers; no control is bound to them.
    void tcbOKClick() { spdOkClick(); }
    void tcbSairClick() { spdSairClick(); }
    void tcbA1Click() { spdA1Click(); }
    void tcbA2Click() { spdA2Click(); }
    void tcbA3Click() { spdA3Click(); }
    void tcbA4Click() { spdA4Click(); }
    void tcbCCdilClick() { spdCCdilClick(); }
    void tcbN1Click(zel::TTouchButton* sender) { spdN1Click(sender); }

    TTipoTecl CampoAtual = Vrm_zel00200::ttParcela; // its caption is underlined
    bool boSubstitui = true;                        // the next accepted character starts the field anew
    bool boPrimParcela = true;                      // the first cheque of this form is on screen
    int NrParcela = 1;                              // the instalment on screen, from 1
    bool boMaiuscula = false;                       // letter keys type capitals
    bool boShift = false;                           // one capital pending
    bool boEnterOcupado = false;
    bool boSaindo = false;
    QString stAno;      // "" or "1".."4": the year button chosen
    QString stDataDig;  // the date digits as typed; lblDtImp shows them formatted
    QString stVersoAnt; // the back text when the alphanumeric keyboard opened

    // The 14 command buttons: OK, exit, the eight field buttons and the four year buttons.
    QList<zel::TTouchButton*> commandButtons() const;
    // A catalogue text: the receipt form's catalogue, then the cheque form's own texts.
    QString Msg(const QString& key) const;

protected:
    void FormKeyPress(QChar key) override;
    void FormKeyDown(QKeyEvent* event) override;

private:
    // A cheque this form recorded: its rows in the receipt's tables and what identifies it.
    struct ChequeGravado
    {
        qint64 movimento = 0; // bookmark in cdsMovCaixa; 0 when no cheque payment type exists
        qint64 parcela = 0;   // bookmark in cdsParcelas
        double valor = 0;
        QString chave; // value, branch, bank, account, number and date as confirmed
    };

    // The confirmation's parts (ChequeCommands.cpp).
    // `arg` takes the place of "%1" in the text.
    bool perguntaSim(const QString& key, const QString& arg = {});
    void erro(const QString& key);
    void mostraPago();
    void registra(const QString& chave, double valor, const QDate& data);
    void desfaz(const ChequeGravado& cheque);
    void imprimeCheque();
    void proximaParcela();

    void FormCreate();
    void bindHandlers();

    QLabel* captionLabel(TTipoTecl field) const;
    QLabel* valueLabel(TTipoTecl field) const;
    QString workingText() const;
    void setWorkingText(const QString& text);
    int dateLimit() const;
    void mostraData();

    void selectField(TTipoTecl field);
    void setCampoAtual(TTipoTecl field);
    void setCommandsEnabled(bool enabled);
    void closeNumericKeypads();
    void closeKeyboards();
    bool keyboardOpen() const;
    void mostraVersoResta();
    void chooseYear(const QString& ano);
    void showYearChoice();
    void sendChar(QChar ch);

    std::unique_ptr<Ui::TfrmRecebeCheque> m_ui;
    bool m_activated = false;
    zel::ReceiptSession* m_receipt;
    QList<ChequeGravado> m_gravados; // every cheque recorded while the form is open
    bool m_aguardaImpressao = false; // the last one is recorded, its printing not yet confirmed
};
