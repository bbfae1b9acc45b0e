#pragma once

#include "text/Result.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace zel::pix {

// The BR Code: the text behind a Pix QR code and its "copy and paste" form, an EMV
// merchant-presented payload as the Central Bank of Brazil's BR Code manual lays it out for
// Pix. Fields are ID (two digits), length (two digits) and value; templates (26, 62) hold
// fields of their own; the last field (63) is a CRC of everything before its value. No widget
// and no network here: the till composes a static code, and checks a provider's code before
// it shows it.

// CRC-16/CCITT-FALSE (polynomial 0x1021, start 0xFFFF, no reflection, no final xor), the
// payload's check: it covers the whole text up to and including "6304".
quint16 crc16Ccitt(QByteArrayView data);

// The longest text a BR Code may be (the EMV QR payload limit); a longer one is refused
// unread.
inline constexpr qsizetype kMaxBrCodeChars = 512;
// Field limits the payer's bank relies on.
inline constexpr qsizetype kMaxMerchantNameChars = 25;
inline constexpr qsizetype kMaxMerchantCityChars = 15;
inline constexpr qsizetype kMaxBrCodeTxidChars = 25;
// The amount field holds at most 13 characters: 9,999,999,999.99.
inline constexpr qint64 kMaxBrCodeAmountCents = 999'999'999'999;

// A charge the till writes itself: the shop's Pix key and, when the amount is known, the
// amount, so the payer's bank fills it in.
struct StaticCharge
{
    QString key;
    qint64 amountCents = 0; // 0: the payer types the amount
    QString merchantName;
    QString merchantCity;
    QString txid; // empty: "***", a charge without an identifier
    QString description;
};

// The code for `charge`, ready to show as text or as a QR image. The name, city and
// description are written as the manual recommends: accents removed, blanks collapsed; a name
// longer than 25 characters or a city longer than 15 is cut, as the manual expects of a
// writer (the payer's bank shows the name its own records hold). Everything else that cannot
// be written as it is gives an error value: a key is never changed nor cut (a changed key pays
// someone else, or no one), nor are a txid or a description.
Result<QString> composeStaticBrCode(const StaticCharge& charge);

// The name or city as the code carries it (what composeStaticBrCode writes, before any cut):
// accents removed and blanks collapsed. Characters outside printable ASCII that are not
// letters with an accent are left in, and composeStaticBrCode refuses them.
QString brCodeText(QStringView text);

// What a BR Code says, static or dynamic.
struct BrCode
{
    QString gui;                       // 26/00, "br.gov.bcb.pix" in any letter case
    QString key;                       // 26/01, a static code's Pix key
    QString description;               // 26/02
    QString url;                       // 26/25, a dynamic code's location (without "https://")
    std::optional<qint64> amountCents; // 54; none: the payer types it
    QString merchantName;              // 59
    QString merchantCity;              // 60
    QString txid;                      // 62/05; "***" or empty when the code names none
    bool singleUse = false;            // 01 is "12": the code is for one payment only

    bool isDynamic() const { return !url.isEmpty(); }
};

// Reads any BR Code, from a QR image's text or a provider's copy-and-paste field. An error
// value, never a partial reading, when the text is not a well-formed Pix code: longer than
// kMaxBrCodeChars, a character outside printable ASCII, a length that is not two digits or
// runs past its template, a field repeated or missing (00 first, 52, 53, 58, 59, 60, 63
// last), a currency other than the real, an amount that is not a decimal with up to two
// places, no Pix account template (GUI br.gov.bcb.pix in one of 26 to 51), both or neither of
// key and location, or a CRC that is not four uppercase hex digits equal to the text's.
Result<BrCode> readBrCode(QStringView payload);

} // namespace zel::pix
