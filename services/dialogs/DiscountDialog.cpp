#include "DiscountDialog.h"

#include "DialogLook.h"
#include "Dialogs.h"
#include "TouchKeypad.h"
#include "dialogs/DialogTexts.h"
#include "text/Money.h"
#include "toolkit/TouchButton.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>

namespace zel {
namespace {

constexpr int kIntegerDigits = 9;
constexpr int kDecimals = 2;

} // namespace

QString appendToAmountEntry(const QString& entry, QChar typed, QChar separator)
{
    const qsizetype sep = entry.indexOf(separator);
    if (typed == separator || typed == u',' || typed == u'.') {
        if (sep >= 0)
            return entry;
        return (entry.isEmpty() ? QStringLiteral("0") : entry) + separator;
    }
    if (!typed.isDigit() || typed.unicode() > '9')
        return entry;
    if (sep >= 0)
        return entry.size() - sep - 1 >= kDecimals ? entry : entry + typed;
    if (entry == QStringLiteral("0"))
        return QString(typed);
    return entry.size() >= kIntegerDigits ? entry : entry + typed;
}

DiscountDialog::DiscountDialog(const QString& text, QWidget* parent)
    : TouchForm(parent), m_separator(moneyLocale().decimalPoint().at(0))
{
    setObjectName(QStringLiteral("frmDesconto"));
    QFrame* panel = look::framePanel(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(2, 2, 2, 16);
    column->setSpacing(10);
    column->addWidget(look::titleBand(dialogText("TituloDesconto"), look::kSlate, panel));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(18, 4, 18, 0);
    body->setSpacing(10);
    column->addLayout(body);

    if (!text.isEmpty()) {
        auto* prompt = new QLabel(text, panel);
        prompt->setObjectName(QStringLiteral("lblTexto"));
        prompt->setWordWrap(true);
        prompt->setFont(look::font(14));
        body->addWidget(prompt);
    }

    auto* kinds = new QHBoxLayout;
    kinds->setSpacing(10);
    m_valor = look::button(dialogText("BotaoValor"), QStringLiteral("tcbValor"), look::kBlue, panel, 180, 64);
    m_percentual = look::button(dialogText("BotaoPercentual"), QStringLiteral("tcbPercentual"), look::kBlue,
                                panel, 180, 64);
    for (TTouchButton* b : {m_valor, m_percentual}) {
        b->setCheckable(true);
        kinds->addWidget(b);
    }
    auto* group = new QButtonGroup(this);
    group->addButton(m_valor);
    group->addButton(m_percentual);
    group->setExclusive(true);
    m_valor->setChecked(true);
    connect(m_valor, &QAbstractButton::clicked, this, [this] { setTipo(QStringLiteral("V")); });
    connect(m_percentual, &QAbstractButton::clicked, this, [this] { setTipo(QStringLiteral("P")); });
    body->addLayout(kinds);

    auto* entryRow = new QHBoxLayout;
    m_display = new QLabel(panel);
    m_display->setObjectName(QStringLiteral("lblValor"));
    m_display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_display->setFont(look::font(26, true));
    m_display->setMinimumHeight(60);
    m_display->setStyleSheet(
        QStringLiteral("QLabel { background: white; border: 2px solid #90A4AE; padding: 0 10px; }"));
    m_unit = new QLabel(panel);
    m_unit->setObjectName(QStringLiteral("lblUnidade"));
    m_unit->setFont(look::font(22, true));
    m_unit->setMinimumWidth(56);
    entryRow->addWidget(m_display, 1);
    entryRow->addWidget(m_unit);
    body->addLayout(entryRow);

    m_warning = new QLabel(panel);
    m_warning->setObjectName(QStringLiteral("lblAviso"));
    m_warning->setWordWrap(true);
    m_warning->setFont(look::font(12, true));
    m_warning->setStyleSheet(QStringLiteral("QLabel { color: #C62828; }"));
    body->addWidget(m_warning);

    auto* lower = new QHBoxLayout;
    lower->setSpacing(16);
    lower->addWidget(new TouchKeypad(this, numericKeys(), QSize(80, 60), panel));
    auto* actions = new QVBoxLayout;
    actions->addStretch(1);
    TTouchButton* ok =
        look::button(dialogText("BotaoConfirmar"), QStringLiteral("tcbOk"), look::kGreen, panel, 130, 64);
    TTouchButton* cancel =
        look::button(dialogText("BotaoCancelar"), QStringLiteral("tcbCancelar"), look::kRed, panel, 130, 64);
    actions->addWidget(ok);
    actions->addWidget(cancel);
    lower->addLayout(actions);
    body->addLayout(lower);
    bindClick(ok, [this] { confirm(); });
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    showEntry();
}

DataPacket DiscountDialog::run()
{
    if (exec() == QDialog::Accepted)
        return m_result;
    return discountPacket(m_tipo, 0.0);
}

void DiscountDialog::setTipo(const QString& tipo)
{
    m_tipo = tipo;
    (tipo == u"P" ? m_percentual : m_valor)->setChecked(true);
    warn({});
    showEntry();
}

void DiscountDialog::showEntry()
{
    m_display->setText(m_entry.isEmpty() ? QStringLiteral("0") : m_entry);
    m_unit->setText(m_tipo == u"P" ? QStringLiteral("%") : moneyLocale().currencySymbol());
}

void DiscountDialog::warn(const QString& message)
{
    m_warning->setText(message);
}

void DiscountDialog::confirm()
{
    double value = 0.0;
    if (!m_entry.isEmpty()) {
        const Result<double> parsed = parseAmount(m_entry);
        if (!parsed) {
            warn(parsed.errorMessage());
            return;
        }
        value = *parsed;
    }
    if (m_tipo == u"P" && value > 100.0) {
        warn(dialogText("PercentualAcimaDeCem"));
        return;
    }
    m_result = discountPacket(m_tipo, value);
    accept();
}

void DiscountDialog::FormKeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        m_entry.chop(1);
        break;
    case Qt::Key_Delete:
        m_entry.clear();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        confirm();
        return;
    case Qt::Key_Escape:
        reject();
        return;
    default:
        return;
    }
    warn({});
    showEntry();
}

void DiscountDialog::FormKeyPress(QChar key)
{
    const QChar upper = key.toUpper();
    if (upper == u'V') {
        setTipo(QStringLiteral("V"));
        return;
    }
    if (upper == u'P' || key == u'%') {
        setTipo(QStringLiteral("P"));
        return;
    }
    const QString next = appendToAmountEntry(m_entry, key, m_separator);
    if (next != m_entry) {
        m_entry = next;
        warn({});
        showEntry();
    }
}

} // namespace zel
