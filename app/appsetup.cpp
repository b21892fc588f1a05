#include "appsetup.h"

#include "kktview_version.h"
#include "messagebox.h"
#include "russianqt.h"

#include <QCoreApplication>

namespace appsetup {

void configureApplication() {
    QCoreApplication::setApplicationName(applicationTitle());
    QCoreApplication::setApplicationVersion(QStringLiteral(KKTVIEW_VERSION));
    useRussianForQt();
}

} // namespace appsetup
