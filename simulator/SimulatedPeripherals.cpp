#include "SimulatedPeripherals.h"

#include "TefApprovals.h"
#include "dataset/DataSet.h"

#include <QSet>

namespace zel {

namespace {

constexpr int kKeyboardColumns = 40;

QString text(const DataPacket& packet, const Row& row, const QString& field)
{
    const int i = packet.fieldIndex(field);
    return i >= 0 && i < row.size() ? row.at(i).toString() : QString();
}

double number(const DataPacket& packet, const Row& row, const QString& field)
{
    const int i = packet.fieldIndex(field);
    return i >= 0 && i < row.size() ? row.at(i).toDouble() : 0.0;
}

// The payment lines of a coupon: one per incoming movement ("E"), in the order they were
// taken. A card payment shows the payment-form text of the closing when there is one.
QList<CouponPayment> paymentLines(const DataPacket& movements, const DataPacket& paymentTypes,
                                  const QString& cardForm)
{
    QList<CouponPayment> lines;
    for (const Row& row : movements.rows) {
        if (text(movements, row, QStringLiteral("IDTIPOMOVIVE")) != QLatin1String("E"))
            continue;
        const QString code = text(movements, row, QStringLiteral("CDTIPORECE"));
        QString kind;
        for (const Row& type : paymentTypes.rows) {
            if (text(paymentTypes, type, QStringLiteral("CDTIPORECE")) == code) {
                kind = text(paymentTypes, type, QStringLiteral("IDTIPORECE"));
                break;
            }
        }
        QString name = text(movements, row, QStringLiteral("NMTIPORECE"));
        if ((kind == QLatin1String("1") || kind == QLatin1String("2")) && !cardForm.isEmpty())
            name = cardForm;
        if (name.isEmpty())
            name = code;
        lines << CouponPayment{name, number(movements, row, QStringLiteral("VRMOVIVEND"))};
    }
    return lines;
}

} // namespace

SimulatedPeripherals::SimulatedPeripherals(const SimulatorConfig& config)
    : m_config(config), m_fiscal(config), m_keyboard(2, kKeyboardColumns), m_display(2, config.displayWidth),
      m_cheque(config.chequeKind, config.stateDir + QStringLiteral("cheque.log")),
      m_tef(config.tef, config.stateDir), m_keyboardPresent(config.keyboardPresent),
      m_displayPresent(config.displayPresent), m_movementDate(config.movementDateValue()),
      m_idTipoImpFis(config.fiscalKind), m_dsDirCad(config.dataDir)
{
    m_cheque.setFaults(config.chequeFaults);
}

Result<std::shared_ptr<SimulatedPeripherals>> SimulatedPeripherals::fromFile(const QString& configPath)
{
    auto config = SimulatorConfig::load(configPath);
    if (!config)
        return config.error();
    return std::make_shared<SimulatedPeripherals>(config.value());
}

// ---- Fiscal printer ----------------------------------------------------------------------

bool SimulatedPeripherals::Estado_Impressora(bool, bool)
{
    return m_fiscal.ready();
}

void SimulatedPeripherals::Abre_Gaveta()
{
    m_fiscal.openDrawer();
    changed(Device::FiscalPrinter);
}

bool SimulatedPeripherals::AbreCupom(const QString& nrCupom)
{
    Q_UNUSED(nrCupom); // the printer numbers its coupons itself
    const bool ok = m_fiscal.openCoupon();
    changed(Device::FiscalPrinter);
    return ok;
}

bool SimulatedPeripherals::VendaItem(const QString& nrVenda, const QString& tipoDesconto,
                                     const QString& cdProduto, const QString& nmProduto,
                                     const QString& cdAliq, double quantidade, double vrUnitario,
                                     double vrDesconto)
{
    const bool ok = m_fiscal.sellItem(nrVenda, tipoDesconto, cdProduto, nmProduto, cdAliq, quantidade,
                                      vrUnitario, vrDesconto);
    changed(Device::FiscalPrinter);
    return ok;
}

bool SimulatedPeripherals::Cancela_Cupom(bool, bool, QString& nrCupom)
{
    const bool ok = m_fiscal.cancelCoupon(nrCupom);
    changed(Device::FiscalPrinter);
    return ok;
}

bool SimulatedPeripherals::Cupom_Conferencia(const QString&, const QString& tipo, double percentual,
                                             double valor)
{
    const bool ok = m_fiscal.announceAdjustment(tipo, percentual, valor);
    changed(Device::FiscalPrinter);
    return ok;
}

bool SimulatedPeripherals::AbreCupomRes(const QString&, const QString&)
{
    const bool ok = m_fiscal.openPayment();
    changed(Device::FiscalPrinter);
    return ok;
}

bool SimulatedPeripherals::FechaCupom(bool emiteContraVale, bool semCartaoTef, double vrDesconto,
                                      double vrTroco, double, const QString&, bool, const QString& formaPagto,
                                      DataSet& movimentos, DataSet& recebimentos, QString& nrCupom,
                                      const QString& linhaCliente, const QString& cdConsumidor,
                                      const QString& nmConsumidor, const QString& cnpjCpf,
                                      const QString& nome)
{
    CouponClosing closing;
    closing.voucher = emiteContraVale;
    closing.discount = vrDesconto;
    closing.change = vrTroco;
    closing.payments = paymentLines(movimentos.data(), recebimentos.data(), formaPagto);
    closing.clientLine = linhaCliente;
    closing.consumerCode = cdConsumidor;
    closing.consumerName = nmConsumidor;
    closing.taxpayerId = cnpjCpf;
    closing.taxpayerName = nome;
    Q_UNUSED(semCartaoTef); // the counter says whether this sale has slips to print
    // The slips of this sale's approvals: the newest inContCuponsTEF kept. Older ones are
    // of sales that were abandoned.
    const QList<TefDirectory::PendingReceipt> receipts = m_tef.pendingReceipts(m_inContCuponsTEF);
    for (const auto& receipt : receipts)
        closing.tefReceipts << receipt.lines;
    const bool ok = m_fiscal.closeCoupon(closing, nrCupom);
    changed(Device::FiscalPrinter);
    if (ok)
        settleTefApprovals(receipts);
    return ok;
}

void SimulatedPeripherals::settleTefApprovals(const QList<TefDirectory::PendingReceipt>& printed)
{
    const QString dir = m_tef.dir();
    m_inContCuponsTEF = 0;
    if (dir.isEmpty())
        return;
    auto report = [this](const QString& error) {
        qWarning("tef: %s", qPrintable(error));
        m_tefErrors << error;
    };
    // Once the manager has not answered, the others would only wait as long again.
    bool answering = true;
    auto send = [&](const QString& header, const QString& sequence) {
        if (!answering) {
            report(QStringLiteral("%1 %2: not sent, the manager does not answer").arg(header, sequence));
            return false;
        }
        QString error;
        const auto outcome = m_tef.settle(header, sequence, &error);
        if (outcome != TefDirectory::Settlement::Settled)
            report(error);
        answering = outcome != TefDirectory::Settlement::NoAnswer;
        return outcome == TefDirectory::Settlement::Settled;
    };
    QSet<QString> thisSale;
    for (const auto& receipt : printed) {
        thisSale.insert(receipt.sequence);
        send(QStringLiteral("CNF"), receipt.sequence);
    }
    m_tef.discard(printed);
    // Approvals of receipts that were abandoned, or whose responses were set aside: no sale
    // was recorded for them, so no customer may be charged.
    for (const ManagerApproval& approval : tefapprovals::read(dir)) {
        if (approval.state == ManagerApproval::State::Pending && !thisSale.contains(approval.sequence) &&
            send(QStringLiteral("NCN"), approval.sequence))
            m_tef.deleteFiles(dir + QStringLiteral("resp/"), approval.sequence);
    }
}

QString SimulatedPeripherals::AjustaZero(const QString& digitos, int width)
{
    return padWithZeros(digitos, width);
}

bool SimulatedPeripherals::ImpFiscalOK()
{
    return m_fiscal.ready();
}

QDate SimulatedPeripherals::DataMoviFiscal()
{
    return m_fiscal.present() ? m_movementDate : QDate();
}

void SimulatedPeripherals::setDsDirCad(const QString& dir)
{
    m_dsDirCad = dir.isEmpty() || dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

// ---- Keyboard display ------------------------------------------------------------------

void SimulatedPeripherals::TeclFormFeed()
{
    if (m_keyboardPresent)
        m_keyboard.clear();
    changed(Device::KeyboardDisplay);
}

void SimulatedPeripherals::TeclDispClrLn1()
{
    if (m_keyboardPresent)
        m_keyboard.clearLine(1);
    changed(Device::KeyboardDisplay);
}

void SimulatedPeripherals::TeclDispClrLn2()
{
    if (m_keyboardPresent)
        m_keyboard.clearLine(2);
    changed(Device::KeyboardDisplay);
}

void SimulatedPeripherals::TeclGoToXY(int row, int col)
{
    if (m_keyboardPresent && !m_keyboard.goTo(row, col))
        qWarning("keyboard display: position %d,%d is outside the display", row, col);
}

void SimulatedPeripherals::TeclDispStr(const QString& text)
{
    if (m_keyboardPresent)
        m_keyboard.write(text);
    changed(Device::KeyboardDisplay);
}

// ---- TEF ---------------------------------------------------------------------------------

bool SimulatedPeripherals::CheckIntPosFiles()
{
    return m_tef.checkFiles();
}

bool SimulatedPeripherals::CheckDirTef(const QString& letter)
{
    return m_tef.checkDir(letter);
}

bool SimulatedPeripherals::CheckGPAtivo()
{
    return m_tef.checkActive();
}

bool SimulatedPeripherals::CheckGPAtivo(const QString& header, const QString& sequence)
{
    return m_tef.waitTaken(header, sequence);
}

QString SimulatedPeripherals::GetSequence()
{
    return m_tef.nextSequence();
}

QString SimulatedPeripherals::NewIntPosFileName(const QString& dir)
{
    return m_tef.newFileName(dir);
}

bool SimulatedPeripherals::DeleteIntPosFiles(const QString& dir, const QString& sequence)
{
    return m_tef.deleteFiles(dir, sequence);
}

// ---- Customer display and cheque printer ---------------------------------------------

void SimulatedPeripherals::DisplayChar(const QString& text)
{
    if (m_displayPresent)
        m_display.stream(text);
    changed(Device::CustomerDisplay);
}

bool SimulatedPeripherals::ImpChqChar(const QString& text)
{
    const bool ok = m_cheque.printText(text);
    changed(Device::ChequePrinter);
    return ok;
}

int SimulatedPeripherals::enviaComandoCheque(const char* command)
{
    const int result = m_cheque.sendCommand(QString::fromLatin1(command));
    changed(Device::ChequePrinter);
    return result;
}

bool SimulatedPeripherals::Retorno_Imp(int result)
{
    const bool ok = m_cheque.acknowledge(result);
    changed(Device::ChequePrinter);
    return ok;
}

bool SimulatedPeripherals::Fecha_Imp_Chq_Sweda(bool opcao1, bool opcao2)
{
    const bool ok = m_cheque.close(opcao1, opcao2);
    changed(Device::ChequePrinter);
    return ok;
}

} // namespace zel
