#pragma once

#include <QTextCharFormat>

// The faces of the code table. Arial, Times New Roman and Cambria are rarely
// installed outside Windows, so each comes with metric-compatible and widely
// installed stand-ins in order; Qt also takes missing glyphs from the later
// families of the list.
namespace codetable {

QStringList sansFamilies();
QStringList serifFamilies();
QStringList cambriaFamilies();

// Plain black text of the given family list, size and weight.
QTextCharFormat sansFormat(qreal pointSize, bool bold = false);
QTextCharFormat serifFormat(qreal pointSize, bool bold = false);
QTextCharFormat cambriaFormat(qreal pointSize);

} // namespace codetable
