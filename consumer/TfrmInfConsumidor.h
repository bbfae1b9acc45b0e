#pragma once

#include "consumer/ConsumerKeys.h"
#include "dataset/DataSet.h"
#include "text/Messages.h"
#include "toolkit/TouchForm.h"

#include <future>
#include <memory>

namespace Ui {
class TfrmInfConsumidor;
}

namespace zel {
class ReceiptSession;
}

// The consumer identification form: the client of an account sale, then one of that client's
// consumers, typed on the keypad or a keyboard or picked in a search. It looks them up in the
// running receipt's client and consumer tables and leaves what it found in the consumer
// unit's variables. The dialogue runs once, from the form's first activation, and closes the
// form when it ends.
class TfrmInfConsumidor : public zel::TouchForm
{
    Q_OBJECT

public:
    // `receipt`: the running receipt, whose client and consumer tables are searched (none: the
    // dialogue ends at once with the catalogue's reason).
    explicit TfrmInfConsumidor(zel::ReceiptSession* receipt, QWidget* parent = nullptr);
    ~TfrmInfConsumidor() override;

    Ui::TfrmInfConsumidor* ui() const { return m_ui.get(); }

    bool boCancelado = false;    // the operator cancelled
    bool boConfirmado = false;   // a consumer was found: the answer of Consumidor
    bool boTrocaCliente = false; // back from the consumer step to the client step
    zel::ConsumerEntry entrada;  // typed text and the POS keyboard's prefix flag

    // Search copies of the receipt's tables.
    zel::DataSet cdsPesqCliente;
    zel::DataSet cdsPesqConsumidor;

    zel::TMessages msgPadrao;

    void FormActivate() override;

    // The error shown when there is no receipt form whose tables the form could search.
    static QString semRecebimentoText();

    void tcbNumeroClick(int tag);
    void tcbEnterClick();
    void tcbCorrigirClick();
    void tcbCancelarClick();
    void tcbPesquisaClick();
    void tcbCorrigeConsumidorClick();

protected:
    void FormKeyDown(QKeyEvent* event) override;
    void FormKeyPress(QChar key) override;

private:
    void FormCreate();
    // The dialogue: client step, consumer step, back on "Corrigir Consumidor", until a
    // consumer is found or the operator cancels.
    void DoInfConsum();
    enum class Passo { Encontrado, NaoEncontrado, Cancelado, TrocaCliente };
    Passo PassoCliente(bool mantemCliente);
    // `novo`: a fresh step (after an unknown code), else the one the client's Enter began.
    Passo PassoConsumidor(bool novo);
    // The "not found" message: on the POS keyboard's display when there is one, else a dialog.
    void NaoEncontrado(const QString& teclKey, const QString& dialogKey);
    void Encerra(bool confirmado);
    void LimpaDigitado();
    void MostraDigitado();
    void PesquisaCliente();
    void PesquisaConsumidor();
    void DigitaEscolhido(const QString& code);

    // Fills the client search's copy. It is made once, on a worker started with the dialogue,
    // while the operator types or reaches for "Pesquisa": with a restaurant's clients the copy
    // takes longer than the search may take to open. The copy is left alone until it is done.
    void CopiaClientes();

    zel::ReceiptSession* m_receipt;
    bool m_dialogoIniciado = false;
    bool m_clientesCopiados = false;
    std::future<void> m_copiaClientes; // declared after the copy: ends before it goes
    std::unique_ptr<Ui::TfrmInfConsumidor> m_ui;
};
