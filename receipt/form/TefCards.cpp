#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/payment/RunningList.h"
#include "receipt/tef/TefExchange.h"
#include "receipt/tef/TefJournal.h"
#include "receipt/tef/TefMessages.h"
#include "text/ErrorLog.h"
#include "ui_TfrmRecebimento.h"

#include <QScopeGuard>

namespace {

QString journalPath()
{
    return zel::tefJournalPath(zel::peripherals().DirTef());
}

} // namespace

zel::TefContext TfrmRecebimento::tefContext() const
{
    return {zel::peripherals(), zel::dialogs(), m_ui->lblRecebimento};
}

void TfrmRecebimento::CarregaDiarioTef()
{
    if (zel::peripherals().DirTef().isEmpty())
        return;
    const auto lido = zel::readTefJournal(journalPath());
    if (!lido) {
        zel::reportError(lcTef(), lido.errorCode(), lido.errorMessage());
        zel::dialogs().TouchMessageDlg(lido.errorMessage(), zel::DialogType::Error, zel::DialogButtons::Ok);
        return;
    }
    m_pendentesAnteriores = *lido;
}

std::function<void()> TfrmRecebimento::DesligaPaineis()
{
    QList<std::pair<QWidget*, bool>> antes;
    for (QWidget* painel : {static_cast<QWidget*>(m_ui->panKeyboard), static_cast<QWidget*>(m_ui->panGrupo),
                            static_cast<QWidget*>(m_ui->panBalcao)}) {
        antes.append({painel, painel->isEnabled()});
        painel->setEnabled(false);
    }
    return [antes] {
        for (const auto& [painel, ativo] : antes)
            painel->setEnabled(ativo);
    };
}

void TfrmRecebimento::GuardaCartao(const zel::TefApproval& aprovacao, qint64 movimento)
{
    m_cartoesTef.append({aprovacao, movimento});
    GravaDiarioTef();
}

void TfrmRecebimento::GravaDiarioTef()
{
    if (zel::peripherals().DirTef().isEmpty())
        return; // no TEF folder: no card was approved, and no path to write beside the program
    QList<zel::TefApproval> lista = m_pendentesAnteriores;
    for (const CartaoTef& cartao : std::as_const(m_cartoesTef))
        lista.append(cartao.aprovacao);
    if (const zel::Status gravado = zel::writeTefJournal(journalPath(), lista); !gravado)
        zel::reportError(lcTef(), gravado.errorCode(), gravado.errorMessage());
}

bool TfrmRecebimento::eCartaoTef(qint64 movimento) const
{
    return std::any_of(m_cartoesTef.cbegin(), m_cartoesTef.cend(),
                       [movimento](const CartaoTef& cartao) { return cartao.movimento == movimento; });
}

bool TfrmRecebimento::DesfazCartoes(bool saindo)
{
    if (m_cartoesTef.isEmpty())
        return true;
    // No payment starts while the manager is asked: the panels come back as they were.
    const auto restaura = qScopeGuard(DesligaPaineis());
    QStringList motivos;
    QList<CartaoTef> mantidos;
    for (CartaoTef cartao : std::as_const(m_cartoesTef)) {
        if (cartao.recusado) { // asked before: the manager's answer stands
            mantidos.append(cartao);
            continue;
        }
        const zel::TefUndoResult desfeito = zel::DesfazTEF(tefContext(), cartao.aprovacao);
        if (desfeito.outcome == zel::TefUndo::Undone) {
            m_session.removeMovement(cartao.movimento);
            continue;
        }
        cartao.recusado = desfeito.outcome == zel::TefUndo::Refused;
        mantidos.append(cartao);
        motivos.append(desfeito.message);
    }
    m_cartoesTef = mantidos;
    if (saindo) {
        // The sale is not settled: a card the manager did not answer about is undone first
        // thing at the next receipt; one it refused to undo stays charged. Either way its
        // movement goes back to the host with the others.
        for (const CartaoTef& cartao : std::as_const(mantidos))
            if (!cartao.recusado)
                m_pendentesAnteriores.append(cartao.aprovacao);
        m_cartoesTef.clear();
    }
    GravaDiarioTef();
    m_session.sync();
    if (motivos.isEmpty())
        return true;
    const bool depois = saindo && std::any_of(mantidos.cbegin(), mantidos.cend(),
                                              [](const CartaoTef& cartao) { return !cartao.recusado; });
    zel::dialogs().TouchMessageDlg(motivos.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                                       zel::tefText(depois ? "TefCartaoParaDepois" : "TefCartaoMantido"),
                                   zel::DialogType::Error, zel::DialogButtons::Ok);
    return false;
}

void TfrmRecebimento::EncerraCartoes()
{
    m_cartoesTef.clear();
    GravaDiarioTef();
}

// What receipts that ended without undoing their cards left: undone before this receipt takes
// any payment, the commands locked meanwhile.
void TfrmRecebimento::DesfazPendentesAnteriores()
{
    if (m_pendentesAnteriores.isEmpty())
        return;
    boMenuOcupado = true;
    CtrlBotoes(QStringLiteral("H"));
    const auto libera = qScopeGuard([this] {
        boMenuOcupado = false;
        CtrlBotoes(QStringLiteral("P"));
    });
    QStringList motivos;
    QList<zel::TefApproval> restam;
    for (const zel::TefApproval& aprovacao : std::as_const(m_pendentesAnteriores)) {
        const zel::TefUndoResult desfeito = zel::DesfazTEF(tefContext(), aprovacao);
        if (desfeito.outcome != zel::TefUndo::Undone) {
            restam.append(aprovacao);
            motivos.append(desfeito.message);
        }
    }
    m_pendentesAnteriores = restam;
    GravaDiarioTef();
    if (!motivos.isEmpty())
        zel::dialogs().TouchMessageDlg(zel::tefText("TefAnterioresMantidos") + QLatin1Char('\n') +
                                           motivos.join(QLatin1Char('\n')),
                                       zel::DialogType::Error, zel::DialogButtons::Ok);
}
