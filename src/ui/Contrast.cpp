#include "ui/Contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double LinearChannel(std::uint8_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(Rgb color) {
    return 0.2126 * LinearChannel(color.red) + 0.7152 * LinearChannel(color.green) +
           0.0722 * LinearChannel(color.blue);
}

double ContrastRatio(Rgb a, Rgb b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb BackgroundForText(Rgb text, Rgb base) {
    const double onBase = ContrastRatio(text, base);
    const bool baseReads = onBase >= kTextContrast || onBase >= ContrastRatio(text, kWhite);
    const Rgb chosen = baseReads ? base : kWhite;
    return ContrastRatio(text, chosen) >= kLeastTextContrast ? chosen : kBlack;
}

Rgb ColorOnBackground(Rgb wanted, Rgb background, double minimum) {
    if (ContrastRatio(wanted, background) >= minimum)
        return wanted;
    return ContrastRatio(kBlack, background) >= ContrastRatio(kWhite, background) ? kBlack : kWhite;
}
