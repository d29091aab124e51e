#include "platform/contrast.h"

#include <algorithm>
#include <cmath>

namespace {
double luminance(const QColor &colour)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
           0.0722 * linear(colour.blue());
}

// Where black and white read equally well.
constexpr double MiddleLuminance = 0.18;
} // namespace

namespace Contrast {
double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readable(const QColor &colour, const QColor &background, double wanted)
{
    if (ratio(colour, background) >= wanted)
        return colour;
    const bool darker = luminance(background) > MiddleLuminance;
    const QColor hsl = colour.toHsl();
    for (int lightness = hsl.lightness(); lightness >= 0 && lightness <= 255;
         lightness += darker ? -1 : 1) {
        const QColor tried = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness).toRgb();
        if (ratio(tried, background) >= wanted)
            return tried;
    }
    return darker ? QColor(Qt::black) : QColor(Qt::white);
}
} // namespace Contrast
