#include "keepunsaved.h"

#include "exitsignals.h"
#include "mainwindow.h"

#include <cstdio>
#include <cstdlib>

namespace {

MainWindow *kept = nullptr;

void keep() {
    if (!kept)
        return;
    const QString reason = kept->keepUnsavedUnasked();
    if (!reason.isEmpty())
        std::fprintf(stderr, "kktview: копия для восстановления не записана: %s\n",
                     reason.toLocal8Bit().constData());
}

} // namespace

KeepUnsaved::KeepUnsaved(MainWindow &window) {
    kept = &window;
    static const bool installed = [] {
        std::atexit(keep);
        exitsignals::install(keep);
        return true;
    }();
    Q_UNUSED(installed);
}

KeepUnsaved::~KeepUnsaved() {
    kept = nullptr;
}
