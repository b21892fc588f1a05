#pragma once

#include <QtGlobal>

// The sizes past which the program refuses a command or leaves work undone,
// each with what it bounds and why. The messages that name a bound take its
// number from here. (The 10K of a cliche is the registers' rule, not the
// program's bound: cliche::textLimit.)
namespace sizebounds {

// The View commands (F2 to F5) work on the whole document below this size;
// from it on, on the selection, which must be below it too ("Файл больше
// 10К!", "Выделенная часть больше 10К!"). The program's long-standing rule,
// which its users know; the views themselves take any size.
inline constexpr qint64 viewInputBelow = 10700;

// The largest file the open command takes. The document reads the file on
// demand, and its offsets are 64-bit, so neither bounds it; what does is
// what the input pane keeps for the parts of the file it has shown: it lays
// its rows out as they are looked at, about 21 bytes for each 256 KiB not
// yet shown, but some 20 bytes for every 4 KiB it has laid out, so a file
// of this size read through from end to end keeps 320 MiB of rows.
inline constexpr qint64 openedFileAtMost = qint64(64) * 1024 * 1024 * 1024;

// The largest file the window compares the document with: the other file
// is read on demand, but the comparison keeps a bit per byte compared.
inline constexpr qint64 comparedFileAtMost = qint64(1024) * 1024 * 1024;

// Files from this size on are read on demand; smaller ones are read whole at
// open, which costs less than a few pages' reads and checks.
inline constexpr qint64 readWholeBelow = qint64(1024) * 1024;

// The most bytes a recovery copy holds itself, written after each pause in
// editing: a document's whole bytes, or, for a document read on demand and
// kept as its edits to the file, the bytes its edits brought (the document
// itself may then be as large as any opened file).
inline constexpr qint64 recoveryCopyAtMost = qint64(1024) * 1024 * 1024;

// The largest document the cliche listings (F7, F8) take. The output pane
// keeps the bytes, not the listing's four to five characters a byte; one of
// 16 MiB shows in about 0.1 s. The message names it in whole MiB.
inline constexpr qint64 clicheListingAtMost = qint64(16) * 1024 * 1024;

// The largest document the cliche check window checks. A cliche is a few
// KiB; a larger document is not checked, so typing in a long file stays
// smooth while the window is open (the check of 1 MiB takes up to 150 ms,
// and it runs after each pause in typing). The window names it in whole MiB.
inline constexpr qint64 checkedDocumentAtMost = qint64(1024) * 1024;

// The largest part of a document recoded in one command (the whole
// document, or the selection). Recoding reads the part and writes it anew,
// so it holds the part in memory three times over; past this, the user
// selects a smaller part. The notice names it in whole MiB.
inline constexpr qint64 recodedAtMost = qint64(64) * 1024 * 1024;

// The largest selection copied or cut to the clipboard, in bytes of the
// input pane or characters of a display pane. Its text is made as UTF-16
// and again in the encoding the other program asks for, so a selection of
// gigabytes would run the program out of memory; past this, the user
// selects a smaller part. The notice names it in whole MiB.
inline constexpr qint64 copiedAtMost = qint64(64) * 1024 * 1024;

// A bound in whole mebibytes, as the messages name it.
inline constexpr qint64 inMebibytes(qint64 bound) {
    return bound / (1024 * 1024);
}

} // namespace sizebounds
