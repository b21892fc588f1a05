#pragma once

class QFileDialog;

// Qt's own file dialog as the open and save commands show it (Qt's, so that
// it is the same everywhere and tests can drive it), Russian through and
// through: sizes and dates in Russian units and formats, which Qt would take
// from the environment's locale; the name, size and date columns wide enough
// for a register file's name, a size up to gigabytes and a date with its
// time.
void prepareFileDialog(QFileDialog &dialog);
