#include "TfrmInfConsumidor.h"

#include "consumer/ConsumerLookup.h"
#include "consumer/ConsumerMessages.h"
#include "consumer/Vrm_zel00400.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/state/ReceiptSession.h"
#include "toolkit/ErrorBarrier.h"
#include "toolkit/ShadeBehind.h"
#include "toolkit/Waits.h"
#include "ui_TfrmInfConsumidor.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>

using zel::kStepClient;
using zel::kStepConsumer;
using zel::kStepNone;

namespace {

zel::ReceiptSession& receiptOf(zel::ReceiptSession* receipt)
{
    if (!receipt)
        throw std::runtime_error(TfrmInfConsumidor::semRecebimentoText().toStdString());
    return *receipt;
}

bool teclado()
{
    return zel::peripherals().TecladoOK();
}

// Clears the POS keyboard's display and writes `text` at the start of its first line.
void displayFeed(const QString& text)
{
    zel::Peripherals& p = zel::peripherals();
    p.TeclFormFeed();
    p.TeclGoToXY(1, 1);
    p.TeclDispStr(text);
}

// Clears one line of the POS keyboard's display and writes `text` at its start.
void displayLine(int line, const QString& text)
{
    zel::Peripherals& p = zel::peripherals();
    if (line == 1)
        p.TeclDispClrLn1();
    else
        p.TeclDispClrLn2();
    p.TeclGoToXY(line, 1);
    p.TeclDispStr(text);
}

// Closes a search copy however its search ends.
class CloseOnExit
{
public:
    explicit CloseOnExit(zel::DataSet& dataSet) : m_dataSet(dataSet) {}
    ~CloseOnExit() { m_dataSet.close(); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    zel::DataSet& m_dataSet;
};

} // namespace

QString TfrmInfConsumidor::semRecebimentoText()
{
    return QStringLiteral("Não há recebimento em andamento: não é possível identificar o consumidor.");
}

TfrmInfConsumidor::TfrmInfConsumidor(zel::ReceiptSession* receipt, QWidget* parent)
    : zel::TouchForm(parent), m_receipt(receipt), m_ui(new Ui::TfrmInfConsumidor)
{
    m_ui->setupUi(this);
    msgPadrao = zel::consumerMessages();
    // The receipt behind lies under a shade while this form asks: its keypad never reads as
    // part of this one.
    new zel::TShadeBehind(this);

    cdsPesqCliente.setName(QStringLiteral("cdsPesqCliente"));
    cdsPesqCliente.setFieldDefs(zel::clientSearchFields());
    cdsPesqCliente.setLogChanges(false);
    cdsPesqConsumidor.setName(QStringLiteral("cdsPesqConsumidor"));
    cdsPesqConsumidor.setFieldDefs(zel::consumerSearchFields());
    cdsPesqConsumidor.setLogChanges(false);

    FormCreate();

    for (zel::TTouchButton* digit : {m_ui->tcb0, m_ui->tcb1, m_ui->tcb2, m_ui->tcb3, m_ui->tcb4, m_ui->tcb5,
                                     m_ui->tcb6, m_ui->tcb7, m_ui->tcb8, m_ui->tcb9})
        bindClick(digit, [this, digit] { tcbNumeroClick(digit->tag()); });
    bindClick(m_ui->tcbEnter, [this] { tcbEnterClick(); });
    bindClick(m_ui->tcbCorrigir, [this] { tcbCorrigirClick(); });
    bindClick(m_ui->tcbCancelar, [this] { tcbCancelarClick(); });
    bindClick(m_ui->tcbPesquisa, [this] { tcbPesquisaClick(); });
    bindClick(m_ui->tcbCorrigeConsumidor, [this] { tcbCorrigeConsumidorClick(); });
}

TfrmInfConsumidor::~TfrmInfConsumidor() = default;

void TfrmInfConsumidor::FormCreate()
{
    setWindowTitle(QApplication::applicationDisplayName());
    setWindowIcon(QApplication::windowIcon());
    const QString figura = m_receipt ? m_receipt->figura : QString();
    const bool hasPicture = QFileInfo::exists(figura) && loadPicture(m_ui->imgBackGround, figura);
    m_ui->imgBackGround->setVisible(hasPicture);
    boCancelado = boConfirmado = boTrocaCliente = false;
}

void TfrmInfConsumidor::FormActivate()
{
    // A modal dialog shown during the dialogue may activate the form again when it closes;
    // the dialogue belongs to the first activation only.
    if (m_dialogoIniciado)
        return;
    m_dialogoIniciado = true;
    try {
        DoInfConsum();
    } catch (...) {
        Encerra(false);
        throw;
    }
}

void TfrmInfConsumidor::DoInfConsum()
{
    using namespace Vrm_zel00400;
    zel::ReceiptSession& receb = receiptOf(m_receipt);
    // The receipt's tables stay open for later identifications in the same receipt; open them
    // again in case someone closed them.
    for (zel::DataSet* table : {&receb.cdsCliente, &receb.cdsConsumidor}) {
        if (!table->active())
            table->open();
    }
    zel::requireClientFields(receb.cdsCliente);
    zel::requireConsumerFields(receb.cdsConsumidor);
    if (!m_copiaClientes.valid() && !m_clientesCopiados) {
        // The packet is let go on the worker too: freeing a hundred thousand rows is work the
        // touch on "Pesquisa" should not wait for.
        m_copiaClientes =
            std::async(std::launch::async, [this, clientes = receb.cdsCliente.data()]() mutable {
                cdsPesqCliente.setRows(clientes);
                clientes = zel::DataPacket();
            });
    }

    boCancelado = false;
    boTrocaCliente = false;
    bool mantemCliente = false;
    NrPasso = kStepClient;
    stCdConsumidor.clear();
    stCdCliente.clear();
    if (teclado())
        displayFeed(msgPadrao.Msg(QStringLiteral("Consumidor")));

    bool encontrado = false;
    while (!encontrado && !boCancelado) {
        const Passo cliente = PassoCliente(mantemCliente);
        if (cliente == Passo::Cancelado)
            break;
        if (cliente == Passo::NaoEncontrado) {
            NrPasso = kStepClient;
            mantemCliente = true;
            continue;
        }
        mantemCliente = false;
        // The first consumer step takes what was typed after the client's Enter; a step
        // repeated after an unknown code starts afresh.
        Passo consumidor = PassoConsumidor(false);
        while (consumidor == Passo::NaoEncontrado)
            consumidor = PassoConsumidor(true);
        encontrado = consumidor == Passo::Encontrado;
    }
    Encerra(!boCancelado);
}

TfrmInfConsumidor::Passo TfrmInfConsumidor::PassoCliente(bool mantemCliente)
{
    using namespace Vrm_zel00400;
    m_ui->tcbPesquisa->setEnabled(true);
    m_ui->tcbCorrigeConsumidor->setEnabled(false);
    if (!mantemCliente)
        m_ui->lblCliente->clear();
    m_ui->lblTexto->setText(msgPadrao.Msg(QStringLiteral("CodClie")));
    if (teclado())
        displayLine(2, msgPadrao.Msg(QStringLiteral("TeclCodClie")));
    LimpaDigitado();
    entrada.clientCode.clear();
    entrada.consumerCode.clear();
    // Ends when the client step is left, whatever came next: keys that arrive together may
    // have entered the consumer's code too.
    zel::waitWhile([this] { return !boCancelado && NrPasso == kStepClient; },
                   QStringLiteral("the client code"));
    if (boCancelado)
        return Passo::Cancelado;

    std::optional<zel::ClientFound> cliente;
    if (!zel::guard([&] { cliente = zel::findClient(receiptOf(m_receipt).cdsCliente, entrada.clientCode); }))
        return Passo::NaoEncontrado;
    if (!cliente) {
        NaoEncontrado(QStringLiteral("TeclClieNcad"), QStringLiteral("ClieNcad"));
        return Passo::NaoEncontrado;
    }
    stCdCliente = cliente->cdCliente;
    stNmCliente = cliente->nmCliente;
    stNmFantClie = cliente->nmFantClie;
    stNrInsJurClie = cliente->nrInsJurClie;
    m_ui->lblCliente->setText(stNmCliente);
    m_ui->tcbCorrigeConsumidor->setEnabled(true);
    if (teclado())
        displayFeed(stNmCliente);
    return Passo::Encontrado;
}

TfrmInfConsumidor::Passo TfrmInfConsumidor::PassoConsumidor(bool novo)
{
    using namespace Vrm_zel00400;
    m_ui->lblTexto->setText(msgPadrao.Msg(QStringLiteral("CodCons")));
    if (teclado())
        displayLine(2, msgPadrao.Msg(QStringLiteral("TeclCodCons")));
    if (novo) {
        LimpaDigitado();
        entrada.consumerCode.clear();
        NrPasso = kStepConsumer;
    } else {
        MostraDigitado();
    }
    zel::waitWhile([this] { return !boCancelado && !boTrocaCliente && NrPasso == kStepConsumer; },
                   QStringLiteral("the consumer code"));
    if (boCancelado)
        return Passo::Cancelado;
    if (boTrocaCliente) {
        boTrocaCliente = false;
        NrPasso = kStepClient;
        if (teclado())
            displayFeed(msgPadrao.Msg(QStringLiteral("Consumidor")));
        return Passo::TrocaCliente;
    }

    std::optional<zel::ConsumerFound> consumidor;
    if (!zel::guard([&] {
            consumidor =
                zel::findConsumer(receiptOf(m_receipt).cdsConsumidor, stCdCliente, entrada.consumerCode);
        }))
        return Passo::NaoEncontrado;
    if (!consumidor) {
        NaoEncontrado(QStringLiteral("TeclConsNCad"), QStringLiteral("ConsNCad"));
        return Passo::NaoEncontrado;
    }
    stCdConsumidor = consumidor->cdConsumidor;
    stNmConsumidor = consumidor->nmConsumidor;
    return Passo::Encontrado;
}

void TfrmInfConsumidor::NaoEncontrado(const QString& teclKey, const QString& dialogKey)
{
    if (teclado())
        displayLine(1, msgPadrao.Msg(teclKey));
    else
        zel::dialogs().TouchMessageDlg(msgPadrao.Msg(dialogKey), zel::DialogType::Error,
                                       zel::DialogButtons::Ok, 0, 0, QString());
}

void TfrmInfConsumidor::Encerra(bool confirmado)
{
    Vrm_zel00400::NrPasso = kStepNone;
    boConfirmado = confirmado;
    postClose(confirmado ? QDialog::Accepted : QDialog::Rejected);
}

void TfrmInfConsumidor::LimpaDigitado()
{
    entrada.typed.clear();
    MostraDigitado();
}

void TfrmInfConsumidor::MostraDigitado()
{
    m_ui->lblInforma->setText(entrada.typed);
}

void TfrmInfConsumidor::FormKeyDown(QKeyEvent* event)
{
    const zel::KeyAction action = zel::consumerKeyDown(Vrm_zel00400::NrPasso, entrada, event->key(), teclado);
    switch (action) {
    case zel::KeyAction::ShowTyped:
        MostraDigitado();
        break;
    case zel::KeyAction::Cancel:
        m_ui->tcbCancelar->click();
        break;
    case zel::KeyAction::CorrectConsumer:
        m_ui->tcbCorrigeConsumidor->click();
        break;
    case zel::KeyAction::None:
        break;
    }
}

void TfrmInfConsumidor::FormKeyPress(QChar key)
{
    if (zel::consumerKeyPress(Vrm_zel00400::NrPasso, entrada, key))
        MostraDigitado();
}

void TfrmInfConsumidor::tcbNumeroClick(int tag)
{
    PostText(QString(QChar(tag)), false, true);
}

void TfrmInfConsumidor::tcbEnterClick()
{
    PostText(QString(), true, true);
}

void TfrmInfConsumidor::tcbCorrigirClick()
{
    PostText(QString(QChar(8)), false, false);
}

void TfrmInfConsumidor::tcbCancelarClick()
{
    boCancelado = true;
    boConfirmado = false;
}

void TfrmInfConsumidor::tcbCorrigeConsumidorClick()
{
    boTrocaCliente = true;
}

void TfrmInfConsumidor::tcbPesquisaClick()
{
    if (Vrm_zel00400::NrPasso == kStepClient)
        PesquisaCliente();
    else if (Vrm_zel00400::NrPasso == kStepConsumer)
        PesquisaConsumidor();
}

void TfrmInfConsumidor::CopiaClientes()
{
    if (m_copiaClientes.valid()) {
        // Waits for the worker; a copy that failed fails here, as the search's own copy would.
        std::future<void> copia = std::move(m_copiaClientes);
        copia.get();
        m_clientesCopiados = true;
    } else if (!m_clientesCopiados) {
        cdsPesqCliente.setRows(receiptOf(m_receipt).cdsCliente.data());
        m_clientesCopiados = true;
    } else {
        cdsPesqCliente.open();
    }
}

void TfrmInfConsumidor::PesquisaCliente()
{
    CopiaClientes();
    CloseOnExit closer(cdsPesqCliente);
    cdsPesqCliente.clearFilter();
    if (zel::dialogs().Pesquisa(cdsPesqCliente, receiptOf(m_receipt).figura, zel::clientSearchText()))
        DigitaEscolhido(cdsPesqCliente.fieldByName(QStringLiteral("NRINSJURCLIE")).asString());
}

void TfrmInfConsumidor::PesquisaConsumidor()
{
    const QString& cdCliente = Vrm_zel00400::stCdCliente;
    cdsPesqConsumidor.setRows(zel::consumerRowsOfClient(receiptOf(m_receipt).cdsConsumidor, cdCliente));
    CloseOnExit closer(cdsPesqConsumidor);
    cdsPesqConsumidor.setFilter(zel::consumersOfClient(cdCliente), zel::consumersOfClientText(cdCliente));
    cdsPesqConsumidor.setFiltered(true);
    if (zel::dialogs().Pesquisa(cdsPesqConsumidor, receiptOf(m_receipt).figura))
        DigitaEscolhido(cdsPesqConsumidor.fieldByName(QStringLiteral("CDCONSUMIDOR")).asString());
}

void TfrmInfConsumidor::DigitaEscolhido(const QString& code)
{
    // The pick replaces whatever was typed before the search, whole: a code is looked up as
    // it is stored, also when it holds characters the keys would not take.
    entrada.typed = code;
    MostraDigitado();
    PostText(QString(), true, true);
}
