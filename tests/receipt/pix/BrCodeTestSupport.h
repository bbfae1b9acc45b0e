#pragma once

// What the BR Code tests share: fields written by hand and codes sealed with their CRC, so a
// case can be about one broken thing while everything else in it is right.

#include "receipt/pix/BrCode.h"
#include "support/QStringPrinter.h"

#include <QString>
#include <ostream>

namespace zel::pix {

// One field: ID, two-digit length, value.
inline QString tlv(int id, const QString& value)
{
    return QStringLiteral("%1%2")
               .arg(id, 2, 10, QLatin1Char('0'))
               .arg(value.size(), 2, 10, QLatin1Char('0')) +
           value;
}

// `body` with its CRC field, as a writer that follows the manual ends a code.
inline QString sealed(const QString& body)
{
    const QString head = body + QStringLiteral("6304");
    return head + QStringLiteral("%1").arg(crc16Ccitt(head.toLatin1()), 4, 16, QLatin1Char('0')).toUpper();
}

// The well-formed fields around the account template `account` (ID 26 unless given).
inline QString codeBody(const QString& account, const QString& amount = {}, int accountId = 26)
{
    QString body = tlv(0, "01") + tlv(accountId, account) + tlv(52, "0000") + tlv(53, "986");
    if (!amount.isEmpty())
        body += tlv(54, amount);
    return body + tlv(58, "BR") + tlv(59, "Fulano de Tal") + tlv(60, "BRASILIA") + tlv(62, tlv(5, "***"));
}

inline QString pixAccount(const QString& key)
{
    return tlv(0, "br.gov.bcb.pix") + tlv(1, key);
}

inline void PrintTo(const BrCode& code, std::ostream* os)
{
    *os << "key=" << code.key.toStdString() << " url=" << code.url.toStdString()
        << " amount=" << (code.amountCents ? std::to_string(*code.amountCents) : "none")
        << " txid=" << code.txid.toStdString();
}

} // namespace zel::pix
