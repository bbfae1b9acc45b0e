#pragma once

#include "dataset/DataPacket.h"
#include "toolkit/TouchForm.h"

class QLabel;

namespace zel {

class TTouchButton;

// The discount dialog: the operator chooses an amount ("V") or a percentage ("P") with two
// large buttons (or the keys V and P), types the value on the keypad or the keyboard (digits,
// one decimal separator, at most two decimals; Backspace corrects, Delete clears) and
// confirms with Enter or "Confirmar". Escape or "Cancelar" gives VALOR 0. A percentage above
// 100 is refused with a message and the dialog stays open.
class DiscountDialog : public TouchForm
{
    Q_OBJECT
public:
    explicit DiscountDialog(const QString& text, QWidget* parent = nullptr);

    // Shows the dialog modally; TIPO and VALOR of the operator's choice, VALOR 0 when
    // cancelled.
    DataPacket run();

    QString tipo() const { return m_tipo; }
    QString entry() const { return m_entry; }

protected:
    void FormKeyDown(QKeyEvent* event) override;
    void FormKeyPress(QChar key) override;

private:
    void setTipo(const QString& tipo);
    void confirm();
    void showEntry();
    void warn(const QString& message);

    QString m_tipo = QStringLiteral("V");
    QString m_entry;
    QChar m_separator;
    DataPacket m_result;
    TTouchButton* m_valor = nullptr;
    TTouchButton* m_percentual = nullptr;
    QLabel* m_display = nullptr;
    QLabel* m_unit = nullptr;
    QLabel* m_warning = nullptr;
};

// Adds a typed character to a discount entry under the dialog's rules (digits, one decimal
// separator, two decimals, nine integer digits, no leading zeros); other characters leave
// it as it was.
QString appendToAmountEntry(const QString& entry, QChar typed, QChar separator);

} // namespace zel
