#include "devices/Peripherals.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/ButtonGrid.h"
#include "receipt/tef/TefExchange.h"
#include "toolkit/TouchButton.h"
#include "ui_TfrmRecebimento.h"

#include <QFileInfo>
#include <QScopeGuard>

using zel::TTouchButton;

namespace {

const QString kBalcao = QStringLiteral("tcbBalcao");
const QString kGrupo = QStringLiteral("tcbGrupo");

void blank(TTouchButton* button)
{
    button->setCaption(QString());
    button->setColor(zel::colorFromTColor(zel::kBlankButtonColor));
    button->setCaptionColor(zel::colorFromTColor(zel::kBlackColor));
    button->clearGlyph();
}

void showFace(TTouchButton* button, const zel::ButtonFace& face)
{
    blank(button);
    button->setColor(zel::colorFromTColor(face.color));
    button->setCaptionColor(zel::colorFromTColor(face.captionColor));
    button->setCaption(face.caption);
    if (!face.glyphFile.isEmpty() && QFileInfo::exists(face.glyphFile) && !button->loadGlyph(face.glyphFile))
        qWarning("%s: the picture %s is not a bitmap it can show", qPrintable(button->objectName()),
                 qPrintable(face.glyphFile));
}

// Buttons of a family are told apart by the last two characters of their names.
QString suffix(const QObject* button)
{
    return button->objectName().right(2);
}

} // namespace

void TfrmRecebimento::LimpaMenuGrupo()
{
    for (int i = 1; i <= zel::kGroupButtons; ++i) {
        if (auto* button = findChild<TTouchButton*>(zel::buttonName(kGrupo, i)))
            blank(button);
    }
}

void TfrmRecebimento::LimpaMenuReceb()
{
    for (int i = 1; i <= zel::kPaymentButtons; ++i) {
        if (auto* button = findChild<TTouchButton*>(zel::buttonName(kBalcao, i)))
            blank(button);
    }
}

void TfrmRecebimento::MontaMenuGrupo()
{
    cdsReceb.setFilter(zel::groupButtonFilter(cdsReceb), zel::groupButtonFilterText());
    cdsReceb.setFiltered(true);
    LimpaMenuGrupo();
    const auto faces = zel::buttonFaces(cdsReceb, zel::kGroupButtons, false);
    for (auto it = faces.cbegin(); it != faces.cend(); ++it) {
        if (auto* button = findChild<TTouchButton*>(zel::buttonName(kGrupo, it.key())))
            showFace(button, it.value());
    }
}

void TfrmRecebimento::MontaBotoes(const QString& grupo, const QString& pagina)
{
    // The filter stays in force: payment entry finds the touched payment type among its rows.
    cdsReceb.setFiltered(false);
    cdsReceb.setFilter(zel::paymentButtonFilter(cdsReceb, grupo, pagina),
                       zel::paymentButtonFilterText(grupo, pagina));
    cdsReceb.setFiltered(true);
    LimpaMenuReceb();
    const auto faces = zel::buttonFaces(cdsReceb, zel::kPaymentButtons, true);
    for (auto it = faces.cbegin(); it != faces.cend(); ++it) {
        if (auto* button = findChild<TTouchButton*>(zel::buttonName(kBalcao, it.key())))
            showFace(button, it.value());
    }
}

void TfrmRecebimento::applyCommands(zel::CommandStep step)
{
    const zel::CommandSet set = zel::commandsFor(step, {.covered = m_session.ledger().covered(),
                                                        .fiscalPrinter = zel::peripherals().ImpFiscalOK(),
                                                        .consumerInformed = boConsumidorInf});
    const auto apply = [](std::initializer_list<QWidget*> widgets, std::optional<bool> on) {
        if (on) {
            for (QWidget* widget : widgets)
                widget->setEnabled(*on);
        }
    };
    apply({m_ui->panGrupo, m_ui->panBalcao}, set.grid);
    apply({m_ui->panKeyboard}, set.keypad);
    apply({m_ui->tcbOk}, set.ok);
    apply({m_ui->tcbCNPJCPF}, set.taxpayerId);
    apply({m_ui->tcbSair}, set.exit);
    apply({m_ui->tcbClear}, set.clear);
    apply({m_ui->tcbDesconto}, set.discount);
}

void TfrmRecebimento::CtrlBotoes(const QString& mode)
{
    if (mode == QLatin1String("H")) {
        applyCommands(zel::CommandStep::GridHeld);
        boVoltou = false;
    } else if (mode == QLatin1String("P")) {
        applyCommands(zel::CommandStep::PickingPayment);
        boVoltou = false;
    } else if (mode == QLatin1String("D")) {
        // A card exchange cannot be left: the manager has the request and the card may be
        // charged, so the entry must go on to record its answer, with Exit, Clear and
        // Discount still off and the waiting text in place.
        if (zel::tefExchangeRunning())
            return;
        applyCommands(zel::CommandStep::EntryLeft);
        m_ui->lblRecebimento->clear();
        m_ui->lblInputReceb2->clear();
        // The prompt's line of the keyboard display goes with the prompt.
        if (zel::Peripherals& devices = zel::peripherals(); devices.TecladoOK())
            devices.TeclDispClrLn2();
        Vrm_zel00000::InputStep = isNone;
        boVoltou = true;
        m_ui->imgReceb->clear();
    }
}

void TfrmRecebimento::tcbBalcaoClick(TTouchButton* button)
{
    if (button->caption().isEmpty() || boMenuOcupado)
        return;
    boMenuOcupado = true;
    const auto free = qScopeGuard([this] { boMenuOcupado = false; });
    CtrlBotoes(QStringLiteral("H"));

    // The row that filled the button: when two rows name one position, the one shown.
    const auto row =
        zel::paymentButtonRow(cdsReceb, suffix(button).toInt(), stGrupo, QString::number(NrPagina));
    if (!row || !cdsReceb.gotoBookmark(*row)) {
        // Nothing was started: the panels come back as they were.
        CtrlBotoes(QStringLiteral("P"));
        return;
    }
    const QString code = cdsReceb.hasField(QStringLiteral("CDTIPORECE"))
                             ? cdsReceb.fieldByName(QStringLiteral("CDTIPORECE")).asString()
                             : QString();
    DoMenuRecebimentoClick(code, QString(), button->glyph());

    if (boDesistiu)
        applyCommands(zel::CommandStep::EntryGivenUp);
}

// Group and page changes wait while a payment is being entered: they re-filter cdsReceb,
// whose current row the payment entry is reading.
void TfrmRecebimento::tcbGrupoClick(TTouchButton* button)
{
    if (boMenuOcupado)
        return;
    LimpaMenuReceb();
    stGrupo = suffix(button);
    MontaBotoes(stGrupo, QString::number(NrPagina));
}

void TfrmRecebimento::tcbProximoClick()
{
    if (boMenuOcupado)
        return;
    ++NrPagina;
    MontaBotoes(stGrupo, QString::number(NrPagina));
    m_ui->tcbAnterior->setVisible(true);
}

void TfrmRecebimento::tcbAnteriorClick()
{
    if (boMenuOcupado)
        return;
    if (NrPagina > 1)
        --NrPagina;
    if (NrPagina == 1)
        m_ui->tcbAnterior->setVisible(false);
    MontaBotoes(stGrupo, QString::number(NrPagina));
}

void TfrmRecebimento::tcbVoltarClick()
{
    CtrlBotoes(QStringLiteral("D"));
}
