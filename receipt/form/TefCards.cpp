// The card approvals of this receipt (CardApprovals.h) as the operator meets them: the panels off
// while the manager is asked, and the manager's reasons for a card it would not undo.

#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/tef/TefMessages.h"
#include "text/ErrorLog.h"
#include "ui_TfrmRecebimento.h"

#include <QScopeGuard>

zel::TefContext TfrmRecebimento::tefContext() const
{
    return {zel::peripherals(), zel::dialogs(), m_ui->lblRecebimento};
}

void TfrmRecebimento::CarregaDiarioTef()
{
    m_cartoes = zel::CardApprovals(zel::peripherals().DirTef());
    if (const zel::Status lido = m_cartoes.load(); !lido) {
        zel::reportError(lcTef(), lido.errorCode(), lido.errorMessage());
        zel::dialogs().TouchMessageDlg(lido.errorMessage(), zel::DialogType::Error, zel::DialogButtons::Ok);
    }
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

bool TfrmRecebimento::DesfazCartoes(bool saindo)
{
    if (m_cartoes.empty())
        return true;
    // No payment starts while the manager is asked: the panels come back as they were.
    const auto restaura = qScopeGuard(DesligaPaineis());
    const zel::CardApprovals::Undo desfeito = m_cartoes.undo(tefContext(), saindo);
    for (qint64 movimento : desfeito.undone)
        m_session.removeMovement(movimento);
    if (desfeito.reasons.isEmpty())
        return true;
    zel::dialogs().TouchMessageDlg(
        desfeito.reasons.join(QLatin1Char('\n')) + QLatin1Char('\n') +
            zel::tefText(desfeito.later ? "TefCartaoParaDepois" : "TefCartaoMantido"),
        zel::DialogType::Error, zel::DialogButtons::Ok);
    return false;
}

// What receipts that ended without undoing their cards left: undone before this receipt takes
// any payment, the commands locked meanwhile.
void TfrmRecebimento::DesfazPendentesAnteriores()
{
    if (!m_cartoes.earlierPending())
        return;
    boMenuOcupado = true;
    CtrlBotoes(QStringLiteral("H"));
    const auto libera = qScopeGuard([this] {
        boMenuOcupado = false;
        CtrlBotoes(QStringLiteral("P"));
    });
    if (const QStringList motivos = m_cartoes.undoEarlier(tefContext()); !motivos.isEmpty())
        zel::dialogs().TouchMessageDlg(zel::tefText("TefAnterioresMantidos") + QLatin1Char('\n') +
                                           motivos.join(QLatin1Char('\n')),
                                       zel::DialogType::Error, zel::DialogButtons::Ok);
}
