#include "Legibility.h"

#include <QHash>
#include <QImage>
#include <QWidget>
#include <cmath>

namespace zel::test {
namespace {

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(unsigned rgb)
{
    return 0.2126 * channel(int((rgb >> 16) & 0xFF)) + 0.7152 * channel(int((rgb >> 8) & 0xFF)) +
           0.0722 * channel(int(rgb & 0xFF));
}

} // namespace

double contrastRatio(unsigned rgbA, unsigned rgbB)
{
    const double a = luminance(rgbA), b = luminance(rgbB);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

double textContrast(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    QHash<unsigned, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) & 0xFFFFFF];
    unsigned background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrastRatio(background, it.key()));
    return best;
}

double textContrast(QWidget* widget)
{
    return textContrast(widget->grab().toImage());
}

} // namespace zel::test
