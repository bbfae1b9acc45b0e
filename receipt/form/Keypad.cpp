#include "devices/Peripherals.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/AmountLimit.h"
#include "receipt/payment/EntryKeys.h"
#include "receipt/tef/TefExchange.h"
#include "text/Money.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/TouchButton.h"
#include "ui_TfrmRecebimento.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QScopeGuard>
#include <stdexcept>

using zel::TTouchButton;

namespace {

QChar decimalSeparator()
{
    const QString separator = zel::moneyLocale().decimalPoint();
    return separator.isEmpty() ? QChar(u',') : separator.front();
}

// The keypad's decimal key carries this tag instead of a character code.
constexpr int kSeparatorTag = 1;

} // namespace

QLabel* TfrmRecebimento::entryLabel() const
{
    // Asked on every key: the usual label is known without a search through the form.
    const QLatin1String name(Vrm_zel00000::arValLabels[TipoTecl]);
    if (m_ui->lblInputReceb2->objectName() == name)
        return m_ui->lblInputReceb2;
    auto* label = findChild<QLabel*>(name);
    return label ? label : m_ui->lblInputReceb2;
}

void TfrmRecebimento::tcbTeclaClick(TTouchButton* button)
{
    const QString text =
        button->tag() == kSeparatorTag ? QString(decimalSeparator()) : QString(QChar(button->tag()));
    PostText(text, false, true);
}

void TfrmRecebimento::tcbCorrigirClick()
{
    PostText(QString(QChar(8)), false, false);
}

void TfrmRecebimento::tcbEnterClick()
{
    if (boEnterOcupado)
        return;
    boEnterOcupado = true;
    m_enterAccepted = false;
    {
        const auto free = qScopeGuard([this] { boEnterOcupado = false; });
        PostText(QString(), true, true);
    }
    // A refused entry is still being waited for: the panels stay as the payment entry set them.
    if (m_enterAccepted)
        CtrlBotoes(QStringLiteral("P"));
}

void TfrmRecebimento::FormKeyPress(QChar key)
{
    // While the TEF manager is asked, no key changes the amount being charged.
    if (TipoTecl == ttNone || zel::tefExchangeRunning())
        return;
    QLabel* label = entryLabel();
    stValor = label->text();
    zel::EntryState entry{stValor, boSubstitui, Vrm_zel00000::InputStep};
    switch (zel::typeChar(entry, key, decimalSeparator())) {
    case zel::CharResult::Refused:
        QApplication::beep();
        return;
    case zel::CharResult::Kept:
        return;
    case zel::CharResult::Shown:
        break;
    }
    stValor = entry.valor;
    boSubstitui = entry.substitui;
    label->setText(stValor);
}

void TfrmRecebimento::FormKeyDown(QKeyEvent* event)
{
    if (TipoTecl == ttNone || zel::tefExchangeRunning())
        return;
    const int key = event->key();
    if (zel::isEnterKey(key) && !event->text().isEmpty() && m_ui->tcbEnter->isEnabled()) {
        // Enter on a keyboard does what the keypad's Enter does while the keypad is on. With
        // the keypad off it is only the Enter key below, which leaves the panels alone.
        tcbEnterClick();
        return;
    }
    QLabel* label = entryLabel();
    stValor = label->text();
    zel::EntryState entry{stValor, boSubstitui, Vrm_zel00000::InputStep};
    // The correction key's own state: payment entry switches it off with the digits; the
    // keypad panel being off does not switch off the keyboard's Backspace and Delete.
    const bool correctionOn = m_ui->tcbCorrigir->isEnabledTo(m_ui->panKeyboard);
    if (key == Qt::Key_Backspace) {
        zel::eraseLast(entry, correctionOn);
    } else if (key == Qt::Key_Delete) {
        const bool posKeyboard = zel::peripherals().TecladoOK();
        zel::eraseAll(entry, correctionOn, posKeyboard);
    } else if (zel::isEnterKey(key)) {
        enterKey();
        return;
    }
    stValor = entry.valor;
    boSubstitui = entry.substitui;
    label->setText(stValor);
}

void TfrmRecebimento::enterKey()
{
    m_enterAccepted = false;
    zel::EntryState entry{stValor, boSubstitui, Vrm_zel00000::InputStep};
    const zel::EnterOutcome outcome = zel::pressEnter(entry);
    if (outcome.result == zel::EnterResult::ZeroRefused)
        return;
    if (outcome.result == zel::EnterResult::Unreadable)
        throw std::runtime_error(outcome.error.toStdString());
    // An amount the receipt cannot hold is refused here, and the same prompt waits for another:
    // the refused text stays to be read, and the next key typed replaces it.
    const TInputStep step = Vrm_zel00000::InputStep;
    const double cotacao = step == isMoeda2
                               ? m_session.saleQuotes()
                                     .find(cdsReceb.fieldByName(QStringLiteral("CDINDICE")).asString())
                                     .value_or(0)
                               : 0;
    if (const QString acima =
            zel::entryBeyondLimit(msgPadrao, step, stValor, m_session.ledger().paid(), cotacao);
        !acima.isEmpty()) {
        boSubstitui = true;
        throw std::runtime_error(acima.toStdString());
    }
    Vrm_zel00000::InputStep = entry.step;
    m_enterAccepted = true;
    if (m_ui->tcbOk->isEnabled())
        m_ui->tcbOk->click();
    boSubstitui = false;
    entryLabel()->setText(stValor);
}
