#include "carettext.h"

#include "base/russiancount.h"

#include <QLocale>

#include <algorithm>

namespace carettext {
namespace {

QString hex(qint64 value, int digits) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

} // namespace

int hexDigitsFor(qint64 documentSize) {
    int digits = 4;
    while (digits < 16 && documentSize >> (4 * digits) != 0)
        digits += 2;
    return digits;
}

QString offset(qint64 offset, qint64 documentSize) {
    return hex(offset, hexDigitsFor(documentSize)) + QStringLiteral(" (%1)").arg(offset);
}

QString range(qint64 start, qint64 length, qint64 documentSize) {
    const int digits = hexDigitsFor(documentSize);
    return hex(start, digits) + u'–' + hex(start + std::max<qint64>(length, 1) - 1, digits);
}

QString caret(qint64 caret, qint64 selectionStart, qint64 selectionLength, qint64 documentSize) {
    documentSize = std::max<qint64>(documentSize, 0);
    const qint64 start = std::clamp<qint64>(selectionStart, 0, documentSize);
    const qint64 length = std::clamp<qint64>(selectionLength, 0, documentSize - start);
    if (length == 0)
        return offset(std::clamp<qint64>(caret, 0, documentSize), documentSize);
    return range(start, length, documentSize) + QStringLiteral(", %1").arg(length);
}

QString bytes(qint64 count) {
    // One and many take the same word, "байт".
    const bool few = russiancount::formOf(count) == russiancount::Form::Few;
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    return russian.toString(count) + u' ' +
           (few ? QStringLiteral("байта") : QStringLiteral("байт"));
}

} // namespace carettext
