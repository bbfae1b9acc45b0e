#pragma once

class QImage;
class QWidget;

namespace zel::test {

// WCAG contrast ratio (1 to 21) between two colours given as 0xRRGGBB.
double contrastRatio(unsigned rgbA, unsigned rgbB);

// The contrast of the text drawn in `image`: between its most common colour (the background)
// and the pixel that differs most from it. 1 when the image is one colour.
double textContrast(const QImage& image);

// textContrast of the widget as it is drawn now.
double textContrast(QWidget* widget);

} // namespace zel::test
