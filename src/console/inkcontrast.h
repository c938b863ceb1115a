#pragma once

#include <QColor>

// Text that stands out from what is behind it, by the WCAG 2 contrast
// ratio: device colours chosen for a black screen can vanish on the
// console's own background.
namespace InkContrast {

constexpr double minimumRatio = 3.0;

// (L1 + 0.05) / (L2 + 0.05) of the two relative luminances, lighter first:
// from 1 (the same) to 21 (black and white).
double contrastRatio(const QColor &a, const QColor &b);
// `ink` itself when it stands out from `back` by minimumRatio; otherwise
// the colour of the same hue and saturation whose lightness is the nearest
// one that does, lighter or darker.
QColor readableOn(const QColor &ink, const QColor &back);

} // namespace InkContrast
