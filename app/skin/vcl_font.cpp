#include "app/skin/vcl_font.h"

#include <QStringList>
#include <cmath>

namespace veltrane::app {

namespace {

// Cell height over em height of the sans-serif faces used here (ascent plus descent of Arial
// and its metric twin Liberation Sans).
constexpr double kCellPerEm = 1.15;

}  // namespace

QFont vclFont(const QString& family, int height, bool bold) {
    QFont font(family);
    const int pixels =
        height < 0 ? -height : std::max(1, static_cast<int>(std::lround(height / kCellPerEm)));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void installFontSubstitutions() {
    const QStringList sans = {"Liberation Sans", "Arimo", "DejaVu Sans"};
    QFont::insertSubstitutions("MS Sans Serif", sans);
    QFont::insertSubstitutions("Microsoft Sans Serif", sans);
    QFont::insertSubstitutions("Arial", sans);
    QFont::insertSubstitutions("Lucida Sans Unicode", {"DejaVu Sans", "Liberation Sans"});
}

}  // namespace veltrane::app
