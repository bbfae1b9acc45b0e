#include "SimPayload.h"

namespace zel::pixsim {

namespace {

QString field(const char* id, const QString& value)
{
    return QLatin1String(id) + QStringLiteral("%1").arg(value.size(), 2, 10, QLatin1Char('0')) + value;
}

} // namespace

QString payloadCrc(const QByteArray& text)
{
    quint16 crc = 0xFFFF;
    for (const char c : text) {
        crc ^= quint16(quint8(c)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return QStringLiteral("%1").arg(crc, 4, 16, QLatin1Char('0')).toUpper();
}

QString dynamicPayload(const QString& location, const QString& receiverName, const QString& city)
{
    const QString account = field("00", QStringLiteral("br.gov.bcb.pix")) + field("25", location);
    QString payload = field("00", QStringLiteral("01")) + field("01", QStringLiteral("12")) +
                      field("26", account) + field("52", QStringLiteral("0000")) +
                      field("53", QStringLiteral("986")) + field("58", QStringLiteral("BR")) +
                      field("59", receiverName.left(25)) + field("60", city.left(15)) +
                      field("62", field("05", QStringLiteral("***"))) + QStringLiteral("6304");
    return payload + payloadCrc(payload.toUtf8());
}

} // namespace zel::pixsim
