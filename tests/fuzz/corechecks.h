#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Checks that hold for every input, shared by the libFuzzer target fuzz_core
// and the seeded random test. Each returns what failed, or an empty string.
namespace corechecks {

// Every view and listing, the pane codec's round trip, and a save then load
// through the file at scratchPath.
QString checkDocument(QByteArrayView bytes, const QString &scratchPath);

// Any text: the pane codec takes it exactly when every character has a byte,
// and the bytes it gives come back through the pane unchanged.
QString checkPaneText(QStringView text);

} // namespace corechecks
