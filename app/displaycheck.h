#pragma once

#include <QString>
#include <QStringList>

// The window needs a display, which a shell over SSH, a cron job or a
// container lacks; Qt would then abort with a message in English. The
// program says in Russian what is missing and how to get the views from the
// command line instead, and exits with status 1.
namespace displaycheck {

// Why no window can open here, or an empty string. Qt's xcb platform needs
// DISPLAY, its wayland platform WAYLAND_DISPLAY; a platform named in
// QT_QPA_PLATFORM (offscreen, vnc, ...) is taken at its word, but xcb and
// wayland named there still need theirs.
QString missingDisplay();
// The same for the given environment, for the tests.
QString missingDisplay(const QString &platform, const QString &display,
                       const QString &waylandDisplay);

// The message on standard error: the reason, the options that need no
// display, and Qt's own messages if there are any.
QString message(const QString &reason, const QStringList &details = {});
void tell(const QString &reason, const QStringList &details = {});

// While it lives and until started(), a fatal message from Qt (a display
// named but unreachable, no platform plugin) ends the program with the
// Russian message and status 1 instead of an abort; Qt's own messages of the
// start follow it as details.
class ReportFailedStart {
public:
    ReportFailedStart();
    ~ReportFailedStart();
    ReportFailedStart(const ReportFailedStart &) = delete;
    ReportFailedStart &operator=(const ReportFailedStart &) = delete;

    void started();
};

} // namespace displaycheck
