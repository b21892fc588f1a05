#pragma once

#include "base/bytetext.h"
#include "codepages/views.h"

#include <QString>
#include <QStringList>
#include <QStringView>

class QIODevice;

// The byte views and cliche listings written out as plain text for scripts.
namespace viewprinter {

using View = views::View;

// The names a script gives the views: hex, 866, 1251, names, listing866,
// listing1251.
QStringList viewNames();

// The view of that name, or nullptr.
View viewNamed(QStringView name);

// What the view of that name shows, in a few words of Russian.
QString viewDescription(QStringView name);

struct Result {
    enum class Status { Printed, ReadFailed, WriteFailed };
    Status status = Status::Printed;
    QString error; // the system's reason unless Printed
};

// Writes the view of everything `in` holds to `out` in UTF-8, with the line
// breaks of a listing as "\n" and one "\n" after the whole view. The texts
// are those the window's panes show; no size limit applies.
Result print(View view, QIODevice &in, QIODevice &out);

} // namespace viewprinter
