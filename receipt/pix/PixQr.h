#pragma once

#include "text/Result.h"

#include <QImage>
#include <QString>

namespace zel::pix {

// The quiet zone a reader needs around the symbol, in modules.
inline constexpr int kQrQuietModules = 4;
// The largest side pixQrImage draws: far beyond any screen of the till, small enough that a
// wrong argument cannot ask for gigabytes.
inline constexpr int kMaxQrSidePixels = 4096;

// The QR image of `payload` (a BR Code) for the payer's phone to read: byte mode where needed, letter case
// kept, error correction level M (the code survives a smudge or a glare on the screen), black
// modules on white with a quiet zone of kQrQuietModules. Every module is the same whole number
// of pixels, so the smallest side at least `minSidePixels` is drawn without blurred edges;
// the image is Grayscale8, square. An error value for an empty payload, one too long for a QR
// code, a NUL character (libqrencode would end the text there) or a side over kMaxQrSidePixels.
Result<QImage> pixQrImage(const QString& payload, int minSidePixels);

} // namespace zel::pix
