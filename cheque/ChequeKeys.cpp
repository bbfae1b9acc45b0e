#include "TfrmRecebeCheque.h"
#include "cheque/ChequeEntry.h"
#include "devices/Peripherals.h"
#include "toolkit/KeyCodes.h"
#include "ui_TfrmRecebeCheque.h"

#include <QKeyEvent>
#include <QLabel>

using namespace Vrm_zel00200;
namespace entry = zel::cheque;

// The field's content: its value label, or the typed digits for the date.
QString TfrmRecebeCheque::workingText() const
{
    return CampoAtual == ttData ? stDataDig : valueLabel(CampoAtual)->text();
}

void TfrmRecebeCheque::setWorkingText(const QString& text)
{
    if (CampoAtual == ttData) {
        stDataDig = text;
        mostraData();
    } else {
        valueLabel(CampoAtual)->setText(text);
        if (CampoAtual == ttVerso)
            mostraVersoResta();
    }
}

void TfrmRecebeCheque::mostraVersoResta()
{
    m_ui->lblVersoResta->setText(
        Msg(QStringLiteral("VersoResta")).arg(entry::kVersoMaximo - m_ui->lblNmVerso->text().size()));
}

int TfrmRecebeCheque::dateLimit() const
{
    const zel::Peripherals& devices = zel::peripherals();
    return entry::dateWidth(devices.IdTipoImpFis(), devices.IdTipoImpChq());
}

void TfrmRecebeCheque::mostraData()
{
    m_ui->lblDtImp->setText(entry::dateDisplay(stDataDig, dateLimit()));
}

void TfrmRecebeCheque::FormKeyPress(QChar key)
{
    const TTipoTecl field = CampoAtual;
    QString text = workingText();
    const int limit = field == ttData ? dateLimit() : 0;
    if (field == ttParcela && entry::fieldFull(field, text, boSubstitui, key)) {
        erro(QStringLiteral("ParcelaMax"));
        return;
    }
    if (!entry::typeChar(field, text, boSubstitui, key, limit))
        return;
    setWorkingText(text);
    if (field == ttVerso && boShift) {
        // The one capital was typed: back to small letters.
        boShift = false;
        boMaiuscula = true;
        spdCapsLockClick();
    }
}

void TfrmRecebeCheque::FormKeyDown(QKeyEvent* event)
{
    const int key = event->key();
    QString text = workingText();
    switch (key) {
    case Qt::Key_Backspace:
        text.chop(1);
        boSubstitui = false;
        setWorkingText(text);
        return;
    case Qt::Key_Delete:
        text.clear();
        boSubstitui = false;
        setWorkingText(text);
        return;
    case Qt::Key_PageDown:
    case Qt::Key_PageUp: {
        // Not while a keyboard is open: it belongs to the field it was opened for.
        if (keyboardOpen())
            return;
        const bool parcelaEnabled = m_ui->lblParcelas->isEnabled();
        setCampoAtual(key == Qt::Key_PageDown ? entry::nextField(CampoAtual, parcelaEnabled)
                                              : entry::previousField(CampoAtual, parcelaEnabled));
        return;
    }
    default:
        break;
    }
    if (!zel::isEnterKey(key))
        return;

    // A cheque with value, branch, bank and account is confirmed at once, whatever keyboard
    // is open; otherwise Enter closes the field's keyboard and tidies the value.
    if (!m_ui->lblNrConta->text().isEmpty() && !m_ui->lblNrAgencia->text().isEmpty() &&
        !m_ui->lblValor->text().isEmpty() && !m_ui->lblNrBanco->text().isEmpty()) {
        spdOkClick();
        return;
    }
    if (CampoAtual == ttVerso)
        spdEnterClick();
    else
        spdNEnterClick();
    text = workingText();
    if (CampoAtual == ttValor)
        text = entry::normalizeValue(text);
    setWorkingText(text);
}
