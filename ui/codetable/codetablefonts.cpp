#include "codetablefonts.h"

namespace codetable {

QStringList sansFamilies() {
    return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
            QStringLiteral("DejaVu Sans")};
}

QStringList serifFamilies() {
    return {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
            QStringLiteral("DejaVu Serif")};
}

QStringList cambriaFamilies() {
    return {QStringLiteral("Cambria"), QStringLiteral("Caladea"), QStringLiteral("DejaVu Serif")};
}

static QTextCharFormat format(const QStringList &families, QFont::StyleHint hint, qreal pointSize,
                              bool bold) {
    QTextCharFormat f;
    f.setFontFamilies(families);
    f.setFontStyleHint(hint);
    f.setFontPointSize(pointSize);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setForeground(Qt::black);
    return f;
}

QTextCharFormat sansFormat(qreal pointSize, bool bold) {
    return format(sansFamilies(), QFont::SansSerif, pointSize, bold);
}

QTextCharFormat serifFormat(qreal pointSize, bool bold) {
    return format(serifFamilies(), QFont::Serif, pointSize, bold);
}

QTextCharFormat cambriaFormat(qreal pointSize) {
    return format(cambriaFamilies(), QFont::Serif, pointSize, false);
}

} // namespace codetable
