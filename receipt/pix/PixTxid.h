#pragma once

#include <QString>
#include <QStringView>

namespace zel::pix {

// The identifier the till gives a charge it asks the Pix provider to create. The provider's
// API takes 26 to 35 letters and digits; the till's are 32, from the system's random source,
// so two tills (or two runs of one) never name two charges alike and no one can guess the
// next. A static BR Code's txid is another field, of at most 25 (kMaxBrCodeTxidChars).
inline constexpr qsizetype kTxidChars = 32;
inline constexpr qsizetype kMinTxidChars = 26;
inline constexpr qsizetype kMaxTxidChars = 35;

QString newTxid();

// 26 to 35 ASCII letters and digits, as the provider's API accepts.
bool isValidTxid(QStringView txid);

} // namespace zel::pix
