#pragma once

#include <QByteArrayView>
#include <QString>

// Checks that hold for every recovery copy's file, however damaged or made
// up, shared by the libFuzzer target fuzz_recovery and the seeded random
// test. Each returns what failed, or an empty string.
namespace recoverychecks {

// The file's header as the parser reads it: a whole copy's size is what
// follows its header and at most an opened file's, a damaged one says why,
// and a header written back from what was read reads the same.
QString checkHeader(QByteArrayView file);

// The file as a copy in the store's directory: listed as its header says,
// and taken only when whole, with the bytes after its header.
QString checkCopyFile(QByteArrayView file, const QString &directory);

// The bytes written as a copy come back with their origin; with one bit
// changed (the bytes pick which), the copy is refused as damaged.
QString checkWrittenCopy(QByteArrayView bytes, const QString &directory);

// The three above in turn, up to the first that fails.
QString checkAll(QByteArrayView file, const QString &directory);

} // namespace recoverychecks
