#include "PixQr.h"

#include "PixMessages.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <qrencode.h>

namespace zel::pix {

Result<QImage> pixQrImage(const QString& payload, int minSidePixels)
{
    if (payload.isEmpty())
        return pixError("PixQrVazio");
    if (minSidePixels > kMaxQrSidePixels)
        return pixError("PixQrTamanho", {QString::number(minSidePixels)});

    // libqrencode reads a C string: a NUL would end the symbol's text early, silently.
    if (payload.contains(QChar(0)))
        return pixError("PixQrNulo");

    const QByteArray bytes = payload.toUtf8();
    errno = 0;
    // Byte mode where a character needs it, the denser modes for runs of digits and capitals
    // (a smaller symbol at the same side is easier to read); letter case kept.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code)
        return errno == ERANGE ? pixError("PixQrLongo") : pixError("PixQrFalhou", {QString::number(errno)});

    const int modules = code->width + 2 * kQrQuietModules;
    const int scale = std::max(1, (minSidePixels + modules - 1) / modules);
    const int side = modules * scale;
    if (side > kMaxQrSidePixels)
        return pixError("PixQrTamanho", {QString::number(side)});
    QImage image(side, side, QImage::Format_Grayscale8);
    if (image.isNull())
        return pixError("PixQrTamanho", {QString::number(side)});
    image.fill(0xFF);
    // libqrencode gives one byte per module; its lowest bit says dark.
    for (int y = 0; y < code->width; ++y) {
        const unsigned char* row = code->data + qsizetype(y) * code->width;
        for (int py = 0; py < scale; ++py) {
            uchar* line = image.scanLine((y + kQrQuietModules) * scale + py);
            for (int x = 0; x < code->width; ++x) {
                if (row[x] & 1)
                    std::fill_n(line + (x + kQrQuietModules) * scale, scale, uchar(0));
            }
        }
    }
    return image;
}

} // namespace zel::pix
