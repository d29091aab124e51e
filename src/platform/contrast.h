#pragma once

#include <QColor>

// Contrast of colours as readers of a screen see it: the ratio of their relative luminances,
// from 1 (the same) to 21 (black on white).
namespace Contrast {
double ratio(const QColor &a, const QColor &b);
// The colour itself where it reaches `wanted` against the background; otherwise the nearest
// colour of its hue and saturation that does, darker on a light background and lighter on a
// dark one.
QColor readable(const QColor &colour, const QColor &background, double wanted);
} // namespace Contrast
