// The BR Code reader and composer of the Pix room. A code is whatever a provider (or anyone
// between it and the till) hands over: any bytes give a code or an error value with a
// message, never a crash or a hang, and a code that is read keeps the reader's promises: it is
// printable ASCII within the length limit, its CRC is the text's, it has the Pix GUI and
// exactly one of key and location, and an amount that is a whole number of cents. The input
// also feeds the composer, split at NUL bytes into a charge's fields: a charge it writes reads
// back as the same key, amount and txid, and a static code read is composed again alike.

#include "receipt/pix/BrCode.h"

#include <QList>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using zel::pix::BrCode;
using zel::pix::StaticCharge;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Compose `charge`; when the composer takes it, the code reads back as the charge.
void checkComposed(const StaticCharge& charge)
{
    const auto composed = zel::pix::composeStaticBrCode(charge);
    if (!composed.ok()) {
        check(!composed.errorMessage().isEmpty() && !composed.errorCode().isEmpty());
        return;
    }
    check(composed->size() <= zel::pix::kMaxBrCodeChars);
    const auto read = zel::pix::readBrCode(*composed);
    check(read.ok());
    check(read->key == charge.key);
    check(read->amountCents.value_or(0) == charge.amountCents);
    check(read->txid == (charge.txid.isEmpty() ? QStringLiteral("***") : charge.txid));
    check(read->merchantName.size() <= zel::pix::kMaxMerchantNameChars);
    check(read->merchantCity.size() <= zel::pix::kMaxMerchantCityChars);
    check(!read->isDynamic());
}

void fuzzReader(const QString& text)
{
    const auto read = zel::pix::readBrCode(text);
    if (!read.ok()) {
        check(!read.errorMessage().isEmpty() && !read.errorCode().isEmpty());
        return;
    }
    const BrCode& code = *read;
    check(text.size() <= zel::pix::kMaxBrCodeChars);
    for (const QChar c : text)
        check(c.unicode() >= 0x20 && c.unicode() <= 0x7E);
    const QString head = text.left(text.size() - 4);
    check(head.endsWith(QStringLiteral("6304")));
    check(text.right(4) ==
          QStringLiteral("%1").arg(zel::pix::crc16Ccitt(head.toLatin1()), 4, 16, QLatin1Char('0')).toUpper());
    check(code.gui.compare(QStringLiteral("br.gov.bcb.pix"), Qt::CaseInsensitive) == 0);
    check(code.key.isEmpty() != code.url.isEmpty());
    check(!code.amountCents || *code.amountCents >= 0);
    check(!code.merchantName.isEmpty() && !code.merchantCity.isEmpty());
    // A static code read is one the till could have written: composed again from its fields
    // (where the composer takes them), it reads back the same.
    if (!code.isDynamic()) {
        const bool txidFits = code.txid.size() <= zel::pix::kMaxBrCodeTxidChars;
        checkComposed({code.key, code.amountCents.value_or(0), code.merchantName, code.merchantCity,
                       txidFits ? code.txid : QString(), code.description});
    }
}

// A charge from the input: key, name, city, txid and description split at NUL, the amount
// from the first eight bytes.
void fuzzComposer(const QByteArray& bytes)
{
    QList<QByteArray> parts = bytes.split('\0');
    while (parts.size() < 5)
        parts.append(QByteArray());
    qint64 cents = 0;
    std::memcpy(&cents, bytes.leftJustified(8, '\0', true).constData(), 8);
    checkComposed({QString::fromUtf8(parts.at(0)), cents % (zel::pix::kMaxBrCodeAmountCents + 2),
                   QString::fromUtf8(parts.at(1)), QString::fromUtf8(parts.at(2)),
                   QString::fromUtf8(parts.at(3)), QString::fromUtf8(parts.at(4))});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    fuzzReader(QString::fromLatin1(bytes));
    fuzzReader(QString::fromUtf8(bytes));
    fuzzComposer(bytes);
    return 0;
}
