// The Pix provider's answers. An answer is whatever came back over the network: any bytes give
// a value or an error value from every reader, never a crash, and a value keeps the promises the
// till relies on: amounts in whole cents within what the API can write, the names it needs
// present, an error that says what was wrong. The input also feeds the amount reader, whose
// every accepted text writes back as the same cents.

#include "receipt/pix/PixApi.h"

#include <cstdint>
#include <cstdlib>

namespace {

using namespace zel::pix;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

template <class T> bool readable(const zel::Result<T>& result)
{
    if (!result.ok())
        check(!result.errorMessage().isEmpty() && !result.errorCode().isEmpty());
    return result.ok();
}

bool amount(qint64 cents)
{
    return cents >= 0 && cents <= kMaxPixAmountCents;
}

void checkRefund(const PixRefund& refund)
{
    check(!refund.id.isEmpty() && !refund.rtrId.isEmpty() && amount(refund.amountCents));
}

void fuzzAnswers(const QByteArray& bytes)
{
    if (const auto token = parseToken(bytes); readable(token))
        check(!token->accessToken.isEmpty() && token->expiresInSeconds > 0);
    if (const auto charge = parseCharge(bytes); readable(charge)) {
        check(!charge->txid.isEmpty() && amount(charge->amountCents) && charge->expirySeconds >= 0);
        check(!chargeStatusName(charge->status).isEmpty());
        for (const PixPayment& payment : charge->payments) {
            check(!payment.endToEndId.isEmpty() && amount(payment.amountCents) && payment.time.isValid());
            for (const PixRefund& refund : payment.refunds)
                checkRefund(refund);
        }
        check(amount(charge->paidCents()));
    }
    if (const auto refund = parseRefund(bytes); readable(refund)) {
        checkRefund(*refund);
        check(!refundStatusName(refund->status).isEmpty());
    }
    if (const auto problem = parseProblem(bytes); readable(problem))
        check(problem->status == 0 || (problem->status >= 100 && problem->status <= 599));
}

void fuzzAmount(const QByteArray& bytes)
{
    const QString text = QString::fromUtf8(bytes);
    const auto cents = zel::pix::parsePixAmount(text);
    if (!readable(cents))
        return;
    check(amount(*cents));
    const auto written = encodePixAmount(*cents);
    check(written.ok());
    const auto back = parsePixAmount(QString::fromLatin1(*written));
    check(back.ok() && *back == *cents);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    fuzzAnswers(bytes);
    fuzzAmount(bytes);
    return 0;
}
