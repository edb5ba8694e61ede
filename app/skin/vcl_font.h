#pragma once
// Fonts as the layouts name them: a family and a height in the old Windows sense, where a
// negative height is the character height in pixels and a positive one the whole cell height.

#include <QFont>
#include <QString>

namespace veltrane::app {

QFont vclFont(const QString& family, int height, bool bold = false);

// Makes the Windows families the layouts name fall back on metric-compatible fonts that Debian
// ships (Liberation, DejaVu) where the originals are missing.
void installFontSubstitutions();

}  // namespace veltrane::app
