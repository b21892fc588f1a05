#include "appicon.h"

namespace kktview {

QIcon applicationIcon() {
    QIcon icon;
    // Without the SVG icon engine the first file fails to load and is
    // ignored; the PNGs then carry the icon.
    icon.addFile(QStringLiteral(":/icons/kktview.svg"));
    icon.addFile(QStringLiteral(":/icons/kktview-64.png"), QSize(64, 64));
    icon.addFile(QStringLiteral(":/icons/kktview-128.png"), QSize(128, 128));
    return icon;
}

} // namespace kktview
