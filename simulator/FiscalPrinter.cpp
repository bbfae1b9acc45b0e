#include "FiscalPrinter.h"

#include "devices/Peripherals.h"
#include "text/Money.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>
#include <limits>

namespace zel {

namespace {

// Amounts a printer can hold (below 100 billion); beyond them a closing is refused.
constexpr double kMaxAmount = 1e11;

bool printable(double value)
{
    return std::isfinite(value) && value >= 0 && value < kMaxAmount;
}

qint64 centsOf(double value)
{
    return qRound64(value * 100.0);
}

QString formatCents(qint64 cents)
{
    return formatFixed(double(cents) / 100.0, QLocale(QLocale::Portuguese, QLocale::Brazil));
}

} // namespace

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
    m_lastNumber = std::max(readCounter(&m_lastClosed), journalHighest());
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

bool FiscalPrinter::ready()
{
    if (!m_present)
        return refuse(QStringLiteral("Estado_Impressora: impressora fiscal ausente"));
    if (m_faults.notReady.trip())
        return refuse(QStringLiteral("Estado_Impressora: impressora não está pronta (falha simulada)"));
    return true;
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
    if (m_faults.notReady.trip())
        return refuse(QStringLiteral("AbreCupom: impressora não está pronta"));
    if (m_faults.refuseOpen.trip())
        return refuse(QStringLiteral("AbreCupom: abertura recusada (falha simulada)"));
    // The number is taken and saved at the opening, so a coupon lost half-way keeps its.
    const qint64 number = takeNumber();
    if (number <= 0)
        return refuse(QStringLiteral("AbreCupom: não foi possível gravar o contador de cupons"));
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
    // The discount is given per unit for more than one unit; for one unit or a fraction of
    // one it is the whole line's.
    if (discountKind == QLatin1String("%"))
        item.discount = RoundDec(item.gross * unitDiscount / 100.0, 2);
    else
        item.discount = quantity > 1 ? RoundDec(unitDiscount * quantity, 2) : RoundDec(unitDiscount, 2);
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
    if (m_faults.refuseAdjustment.trip())
        return refuse(QStringLiteral("Cupom_Conferencia: recusado (falha simulada)"));
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
    // A coupon without items may enter the payment phase: its sale had only items that are
    // not sent to the printer, and its payments are still printed.
    if (!require({CouponState::Open, CouponState::Items, CouponState::Subtotal},
                 QStringLiteral("AbreCupomRes")))
        return false;
    if (m_faults.refusePayment.trip())
        return refuse(QStringLiteral("AbreCupomRes: fase de pagamento recusada (falha simulada)"));
    m_state = CouponState::Payment;
    m_lastError.clear();
    return true;
}

bool FiscalPrinter::closeCoupon(const CouponClosing& closing, QString& number)
{
    if (!require({CouponState::Payment}, QStringLiteral("FechaCupom")))
        return false;
    if (m_faults.refuseClose.trip())
        return refuse(QStringLiteral("FechaCupom: recusado (falha simulada)"));
    if (!printable(closing.discount) || !printable(closing.change))
        return refuse(QStringLiteral("FechaCupom: valor inválido"));
    CouponRecord coupon = m_coupon;
    // A discount the closing brings that was not announced (the surcharge took the
    // announcement) is given here.
    if (closing.discount > 0 && coupon.adjustmentKind != QLatin1String("D"))
        coupon.closingDiscount = Trunc2(closing.discount);
    coupon.payments = closing.payments;
    coupon.change = Trunc2(closing.change);
    // The checks a real printer makes before it prints the closing, in whole cents.
    if (!std::isfinite(coupon.total()) || std::abs(coupon.total()) >= kMaxAmount)
        return refuse(QStringLiteral("FechaCupom: valor inválido"));
    const qint64 total = centsOf(coupon.total());
    qint64 paid = 0;
    for (const auto& payment : coupon.payments) {
        if (!printable(payment.amount))
            return refuse(QStringLiteral("FechaCupom: pagamento inválido"));
        paid += centsOf(payment.amount);
    }
    if (total < 0)
        return refuse(QStringLiteral("FechaCupom: desconto maior que o total do cupom"));
    if (paid < total)
        return refuse(QStringLiteral("FechaCupom: pagamentos (%1) não cobrem o total (%2)")
                          .arg(formatCents(paid), formatCents(total)));
    const qint64 change = centsOf(coupon.change);
    // A coupon without items holds no sale: its payments are for items printed elsewhere.
    if (coupon.items.isEmpty() ? change > paid : change != paid - total)
        return refuse(QStringLiteral("FechaCupom: troco %1 diferente de pagamentos − total (%2)")
                          .arg(formatCents(change), formatCents(paid - total)));
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
    if (m_faults.refuseCancel.trip())
        return refuse(QStringLiteral("Cancela_Cupom: recusado (falha simulada)"));
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

qint64 FiscalPrinter::readCounter(qint64* lastClosed) const
{
    QFile file(m_statePath);
    if (!file.exists())
        return 0;
    if (file.open(QIODevice::ReadOnly)) {
        const QJsonObject state = QJsonDocument::fromJson(file.readAll()).object();
        // Numbers are kept as text: a JSON number holds no more than 53 bits exactly.
        bool ok = false;
        const qint64 last = state.value(QStringLiteral("lastCoupon")).toString().toLongLong(&ok);
        if (ok && last >= 0) {
            if (lastClosed)
                *lastClosed = state.value(QStringLiteral("lastClosed")).toString().toLongLong();
            return last;
        }
    }
    // The journal still knows the highest number printed, and every take looks at it.
    qWarning("fiscal printer: %s is unreadable; the coupon numbers continue above the journal",
             qPrintable(m_statePath));
    return 0;
}

bool FiscalPrinter::writeCounter(qint64 lastNumber, qint64 lastClosed)
{
    QSaveFile file(m_statePath);
    const QJsonObject state{{QStringLiteral("lastCoupon"), QString::number(lastNumber)},
                            {QStringLiteral("lastClosed"), QString::number(lastClosed)}};
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(state).toJson()) < 0 || !file.commit()) {
        qWarning("fiscal printer: cannot save %s", qPrintable(m_statePath));
        return false;
    }
    return true;
}

qint64 FiscalPrinter::journalHighest()
{
    QFile file(m_journalPath);
    if (!file.open(QIODevice::ReadOnly))
        return m_journalHighest;
    if (file.size() < m_journalSeen) { // replaced by a shorter one: look through it all
        m_journalSeen = 0;
        m_journalHighest = 0;
    }
    file.seek(m_journalSeen);
    static const QRegularExpression coo(QStringLiteral("COO (\\d{1,18})"));
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.endsWith('\n'))
            break; // a line still being written is read next time
        m_journalSeen += line.size();
        const auto match = coo.match(QString::fromUtf8(line));
        if (match.hasMatch())
            m_journalHighest = std::max(m_journalHighest, match.captured(1).toLongLong());
    }
    return m_journalHighest;
}

qint64 FiscalPrinter::takeNumber()
{
    QLockFile lock(m_statePath + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000)) {
        qWarning("fiscal printer: the coupon counter %s is locked", qPrintable(m_statePath));
        return 0;
    }
    qint64 lastClosed = m_lastClosed;
    const qint64 last = std::max({m_lastNumber, readCounter(&lastClosed), journalHighest()});
    if (last >= std::numeric_limits<qint64>::max() - 1)
        return 0;
    if (!writeCounter(last + 1, m_lastClosed))
        return 0;
    m_lastNumber = last + 1;
    return m_lastNumber;
}

bool FiscalPrinter::saveState()
{
    QLockFile lock(m_statePath + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000))
        return false;
    // Another printer on the folder may have taken numbers since: never lower the counter.
    const qint64 last = std::max(m_lastNumber, readCounter(nullptr));
    return writeCounter(last, m_lastClosed);
}

} // namespace zel
