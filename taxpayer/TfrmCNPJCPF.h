#pragma once

#include "taxpayer/TaxpayerKeys.h"
#include "text/Messages.h"
#include "toolkit/TouchForm.h"

#include <QList>
#include <memory>

namespace Ui {
class TfrmCNPJCPF;
}

namespace zel {
class TTouchButton;
}

// The taxpayer identification form: the buyer's CPF or CNPJ, then the buyer's name, typed on
// its touch keyboard or a physical one. The number goes on to the name only when its check
// digits hold. The dialogue starts once, at the form's first activation, and is driven by the
// keys themselves, so keys that arrive together are handled one after another in order; it
// closes the form when the name is entered or the operator exits.
class TfrmCNPJCPF : public zel::TouchForm
{
    Q_OBJECT

public:
    explicit TfrmCNPJCPF(QWidget* parent = nullptr);
    ~TfrmCNPJCPF() override;

    Ui::TfrmCNPJCPF* ui() const { return m_ui.get(); }

    zel::TaxpayerEntry entrada;
    int NrPasso = zel::kPassoFim;
    bool boCancelado = false; // the operator exited
    bool boConcluido = false; // the name was entered after an accepted number

    zel::TMessages msgPadrao;

    // The answers of CriaInfAdicional: what was typed when the dialogue was concluded, else
    // empty (exit, or the form closed from outside).
    QString numero() const;
    QString nome() const;

    void FormActivate() override;

    // Button handlers.
    void spdCaracterClick(const zel::TTouchButton* button);
    void spdLetraClick(const zel::TTouchButton* button);
    void spdCCdilClick();
    void spdEspacoClick();
    void spdBackSpaceClick();
    void spdLimparClick();
    void spdEnterClick();
    void spdCapsLockClick();
    void spdShiftClick();
    void spdSairClick();

protected:
    void FormKeyDown(QKeyEvent* event) override;
    void FormKeyPress(QChar key) override;

private:
    void FormCreate();
    void IniciaNumero();
    void IniciaNome();
    // Enter on a typed number: the name step, or the error and a fresh number step.
    void ConfereNumero();
    void Encerra(bool concluido);
    void MostraTexto();
    void AtualizaTeclas();
    QList<zel::TTouchButton*> teclasDeLetra() const;

    // Keys that reach the form while the invalid-number message is open wait for the fresh
    // number step and are then handled in the order they came.
    struct Tecla
    {
        int key = 0;     // a key-down, or
        QChar character; // a typed character
    };
    void Trata(const Tecla& tecla);
    void TrataPendentes();
    bool m_mensagem = false;
    bool m_tratandoPendentes = false;
    QList<Tecla> m_pendentes;

    bool m_dialogoIniciado = false;
    std::unique_ptr<Ui::TfrmCNPJCPF> m_ui;
};
