#include "FiscalPrinter.h"

#include "devices/Peripherals.h"
#include "text/Money.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>

namespace zel {

QString couponStateName(CouponState state)
{
    switch (state) {
    case CouponState::Idle:
        return QStringLiteral("sem cupom");
    case CouponState::Open:
        return QStringLiteral("cupom aberto");
    case CouponState::Items:
        return QStringLiteral("registro de itens");
    case CouponState::Subtotal:
        return QStringLiteral("subtotal");
    case CouponState::Payment:
        return QStringLiteral("pagamento");
    }
    return {};
}

FiscalPrinter::FiscalPrinter(const SimulatorConfig& config)
    : m_present(config.fiscalPresent), m_faults(config.faults), m_aliquots(config.aliquots),
      m_statePath(config.stateDir + QStringLiteral("fiscal-printer.json")),
      m_journalPath(config.stateDir + QStringLiteral("journal.txt"))
{
    QDir().mkpath(config.stateDir);
    loadState();
}

bool FiscalPrinter::refuse(const QString& why)
{
    m_lastError = why;
    return false;
}

bool FiscalPrinter::require(std::initializer_list<CouponState> states, const QString& command)
{
    if (!m_present)
        return refuse(command + QStringLiteral(": impressora fiscal ausente"));
    for (CouponState s : states) {
        if (m_state == s)
            return true;
    }
    return refuse(command + QStringLiteral(": comando fora de ordem (") + couponStateName(m_state) +
                  QLatin1Char(')'));
}

bool FiscalPrinter::ready() const
{
    return m_present && !m_faults.notReady;
}

void FiscalPrinter::openDrawer()
{
    if (!m_present)
        return;
    ++m_drawerOpenings;
    m_drawerOpen = true;
}

bool FiscalPrinter::openCoupon()
{
    if (!require({CouponState::Idle}, QStringLiteral("AbreCupom")))
        return false;
    if (m_faults.notReady)
        return refuse(QStringLiteral("AbreCupom: impressora não está pronta"));
    if (m_faults.refuseOpen)
        return refuse(QStringLiteral("AbreCupom: abertura recusada (falha simulada)"));
    // The number is taken and saved at the opening, so a coupon lost half-way keeps its.
    const int number = m_lastNumber + 1;
    m_lastNumber = number;
    if (!saveState()) {
        m_lastNumber = number - 1;
        return refuse(QStringLiteral("AbreCupom: não foi possível gravar o contador de cupons"));
    }
    m_coupon = CouponRecord{};
    m_coupon.number = number;
    m_coupon.openedAt = m_clock();
    m_itemRefusals = 0;
    m_state = CouponState::Open;
    m_lastError.clear();
    return true;
}

bool FiscalPrinter::sellItem(const QString& saleNumber, const QString& discountKind, const QString& code,
                             const QString& name, const QString& aliquot, double quantity, double unitPrice,
                             double unitDiscount)
{
    if (!require({CouponState::Open, CouponState::Items}, QStringLiteral("VendaItem")))
        return false;
    const QString aliquotCode = aliquot.trimmed();
    if (aliquotCode.isEmpty())
        return refuse(QStringLiteral("VendaItem: alíquota não informada"));
    if (!m_aliquots.isEmpty() && !m_aliquots.contains(aliquotCode))
        return refuse(QStringLiteral("VendaItem: alíquota %1 não programada").arg(aliquotCode));
    if (!std::isfinite(quantity) || quantity <= 0)
        return refuse(QStringLiteral("VendaItem: quantidade inválida"));
    if (!std::isfinite(unitPrice) || unitPrice <= 0)
        return refuse(QStringLiteral("VendaItem: preço inválido"));
    if (!std::isfinite(unitDiscount) || unitDiscount < 0)
        return refuse(QStringLiteral("VendaItem: desconto inválido"));
    if (discountKind != QLatin1String("D") && discountKind != QLatin1String("%"))
        return refuse(QStringLiteral("VendaItem: tipo de desconto \"%1\" desconhecido").arg(discountKind));

    CouponItem item;
    item.position = int(m_coupon.items.size()) + 1;
    item.code = code;
    item.name = name;
    item.aliquot = aliquotCode;
    item.quantity = quantity;
    item.unitPrice = unitPrice;
    item.gross = Trunc2(quantity * unitPrice);
    item.discount = discountKind == QLatin1String("%") ? RoundDec(item.gross * unitDiscount / 100.0, 2)
                                                       : RoundDec(unitDiscount * quantity, 2);
    if (item.discount >= item.gross && item.discount > 0)
        return refuse(QStringLiteral("VendaItem: desconto maior que o valor do item"));

    const bool faultyPosition = m_faults.refuseItem > 0 && item.position == m_faults.refuseItem;
    if (faultyPosition && (m_faults.refuseItemTimes == 0 || m_itemRefusals < m_faults.refuseItemTimes)) {
        ++m_itemRefusals;
        return refuse(QStringLiteral("VendaItem: item %1 recusado (falha simulada)").arg(item.position));
    }
    m_coupon.items << item;
    if (m_coupon.saleNumber.isEmpty())
        m_coupon.saleNumber = saleNumber;
    m_state = CouponState::Items;
    m_lastError.clear();
    return true;
}

bool FiscalPrinter::announceAdjustment(const QString& kind, double percentage, double value)
{
    if (!require({CouponState::Items}, QStringLiteral("Cupom_Conferencia")))
        return false;
    if (kind != QLatin1String("A") && kind != QLatin1String("D") && kind != QLatin1String("0"))
        return refuse(QStringLiteral("Cupom_Conferencia: tipo \"%1\" desconhecido").arg(kind));
    if (!std::isfinite(percentage) || !std::isfinite(value) || percentage < 0 || value < 0)
        return refuse(QStringLiteral("Cupom_Conferencia: valor inválido"));
    double amount = 0;
    if (kind != QLatin1String("0"))
        amount = value > 0 ? Trunc2(value) : RoundDec(m_coupon.subtotal() * percentage / 100.0, 2);
    if (kind == QLatin1String("D") && amount >= m_coupon.subtotal())
        return refuse(QStringLiteral("Cupom_Conferencia: desconto maior que o subtotal"));
    m_coupon.adjustmentKind = kind == QLatin1String("0") || amount <= 0 ? QString() : kind;
    m_coupon.adjustment = amount;
    m_state = CouponState::Subtotal;
    m_lastError.clear();
    return true;
}

bool FiscalPrinter::openPayment()
{
    // A coupon without items cannot be totalled, as on a real printer.
    if (!require({CouponState::Items, CouponState::Subtotal}, QStringLiteral("AbreCupomRes")))
        return false;
    if (m_faults.refusePayment)
        return refuse(QStringLiteral("AbreCupomRes: fase de pagamento recusada (falha simulada)"));
    m_state = CouponState::Payment;
    m_lastError.clear();
    return true;
}

bool FiscalPrinter::closeCoupon(const CouponClosing& closing, QString& number)
{
    if (!require({CouponState::Payment}, QStringLiteral("FechaCupom")))
        return false;
    CouponRecord coupon = m_coupon;
    // A discount the closing brings that was not announced (the surcharge took the
    // announcement) is given here.
    if (closing.discount > 0 && coupon.adjustmentKind != QLatin1String("D"))
        coupon.closingDiscount = Trunc2(closing.discount);
    coupon.payments = closing.payments;
    coupon.change = Trunc2(closing.change);
    coupon.voucher = closing.voucher && coupon.change > 0;
    if (coupon.voucher)
        coupon.voucherNumber = padWithZeros(QString::number(coupon.number + 1), 4);
    coupon.taxpayerId = closing.taxpayerId;
    coupon.taxpayerName = closing.taxpayerName;
    coupon.clientLine = closing.clientLine;
    coupon.consumerCode = closing.consumerCode;
    coupon.consumerName = closing.consumerName;
    coupon.tefReceipts = closing.tefReceipts;
    coupon.closed = true;
    if (!appendJournal(journal::formatCoupon(coupon)))
        return refuse(QStringLiteral("FechaCupom: não foi possível gravar a fita detalhe"));
    m_coupon = coupon;
    m_lastClosed = coupon.number;
    saveState();
    m_state = CouponState::Idle;
    number = journal::couponNumberText(coupon.number);
    m_lastError.clear();
    return true;
}

bool FiscalPrinter::cancelCoupon(QString& number)
{
    if (!m_present)
        return refuse(QStringLiteral("Cancela_Cupom: impressora fiscal ausente"));
    if (m_state != CouponState::Idle) {
        CouponRecord coupon = m_coupon;
        coupon.cancelled = true;
        if (!appendJournal(journal::formatCoupon(coupon)))
            return refuse(QStringLiteral("Cancela_Cupom: não foi possível gravar a fita detalhe"));
        m_coupon = coupon;
        m_lastClosed = 0;
        saveState();
        m_state = CouponState::Idle;
        number = journal::couponNumberText(coupon.number);
        m_lastError.clear();
        return true;
    }
    if (m_lastClosed <= 0)
        return refuse(QStringLiteral("Cancela_Cupom: não há cupom para cancelar"));
    if (!appendJournal(journal::formatCancellation(m_lastClosed, m_clock())))
        return refuse(QStringLiteral("Cancela_Cupom: não foi possível gravar a fita detalhe"));
    number = journal::couponNumberText(m_lastClosed);
    m_lastClosed = 0;
    saveState();
    m_lastError.clear();
    return true;
}

QString FiscalPrinter::journalText() const
{
    QFile file(m_journalPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool FiscalPrinter::appendJournal(const QString& text)
{
    QFile file(m_journalPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        qWarning("fiscal printer: cannot append to %s: %s", qPrintable(m_journalPath),
                 qPrintable(file.errorString()));
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

void FiscalPrinter::loadState()
{
    QFile file(m_statePath);
    if (!file.exists())
        return;
    if (file.open(QIODevice::ReadOnly)) {
        const QJsonObject state = QJsonDocument::fromJson(file.readAll()).object();
        if (state.value(QStringLiteral("lastCoupon")).isDouble()) {
            m_lastNumber = state.value(QStringLiteral("lastCoupon")).toInt();
            m_lastClosed = state.value(QStringLiteral("lastClosed")).toInt();
            return;
        }
    }
    // An unreadable counter must never hand out a number again: the journal knows the
    // highest one printed.
    qWarning("fiscal printer: %s is unreadable; taking the coupon number from the journal",
             qPrintable(m_statePath));
    static const QRegularExpression coo(QStringLiteral("COO (\\d{6})"));
    auto matches = coo.globalMatch(journalText());
    while (matches.hasNext())
        m_lastNumber = std::max(m_lastNumber, matches.next().captured(1).toInt());
}

bool FiscalPrinter::saveState()
{
    QSaveFile file(m_statePath);
    const QJsonObject state{{QStringLiteral("lastCoupon"), m_lastNumber},
                            {QStringLiteral("lastClosed"), m_lastClosed}};
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(state).toJson()) < 0 || !file.commit()) {
        qWarning("fiscal printer: cannot save %s", qPrintable(m_statePath));
        return false;
    }
    return true;
}

} // namespace zel
