#include "inkcontrast.h"

#include <cmath>

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &color)
{
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

// Every channel of an HSL colour grows with its lightness, and so does its
// luminance: whether a lightness is readable changes once between the
// ink's and the far end, and halving finds where, in 8-bit colours as drawn.
struct LightnessSearch
{
    double hue;
    double saturation;
    const QColor &back;

    QColor at(double lightness) const { return QColor(QColor::fromHslF(hue, saturation, lightness).rgb()); }
    bool readable(double lightness) const
    {
        return InkContrast::contrastRatio(at(lightness), back) >= InkContrast::minimumRatio;
    }
    // The readable lightness nearest to `from` on the way to `to`, or a
    // negative value when even `to` is not readable.
    double nearestReadable(double from, double to) const
    {
        if (!readable(to))
            return -1;
        for (int i = 0; i < 24; ++i) {
            const double middle = (from + to) / 2;
            if (readable(middle))
                to = middle;
            else
                from = middle;
        }
        return to;
    }
};

} // namespace

namespace InkContrast {

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &ink, const QColor &back)
{
    if (contrastRatio(ink, back) >= minimumRatio)
        return ink;
    // A grey has no hue: any does.
    const LightnessSearch search {std::max(0.0, double(ink.hslHueF())), ink.hslSaturationF(), back};
    const double lightness = ink.lightnessF();
    const double lighter = search.nearestReadable(lightness, 1);
    const double darker = search.nearestReadable(lightness, 0);
    if (darker < 0 || (lighter >= 0 && lighter - lightness <= lightness - darker))
        return search.at(lighter);
    return search.at(darker);
}

} // namespace InkContrast
