#include "PixTxid.h"

#include <QRandomGenerator>

namespace zel::pix {

namespace {

constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr quint32 kAlphabetSize = sizeof(kAlphabet) - 1;

} // namespace

QString newTxid()
{
    QRandomGenerator* random = QRandomGenerator::system();
    QString txid(kTxidChars, Qt::Uninitialized);
    for (QChar& c : txid)
        c = QLatin1Char(kAlphabet[random->bounded(kAlphabetSize)]);
    return txid;
}

bool isValidTxid(QStringView txid)
{
    if (txid.size() < kMinTxidChars || txid.size() > kMaxTxidChars)
        return false;
    for (const QChar c : txid) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')))
            return false;
    }
    return true;
}

} // namespace zel::pix
