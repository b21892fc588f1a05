#include "appicon.h"

namespace kktview {

QIcon applicationIcon() {
    QIcon icon;
    // Without the SVG icon engine the first file fails to load and is
    // ignored; the PNGs then carry the icon.
    icon.addFile(QStringLiteral(":/icons/kktview.svg"));
    for (const int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/kktview-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace kktview
