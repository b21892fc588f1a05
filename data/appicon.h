#pragma once

#include <QIcon>

namespace kktview {

// The application icon: the scalable image where Qt's SVG icon engine is
// installed, the PNG renderings of it where it is not.
QIcon applicationIcon();

} // namespace kktview
