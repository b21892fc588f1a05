#include "io/nativename.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <climits>
#include <dirent.h>
#include <unistd.h>
#endif

namespace nativename {
namespace {

constexpr char16_t escapeBase = 0xDC00;
constexpr char16_t replacement = 0xFFFD;

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at data[0..size), or 0. Overlong
// forms, encoded surrogates and values past U+10FFFF are not valid.
int validSequence(const unsigned char *data, qsizetype size) {
    const unsigned char lead = data[0];
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (size < length || data[1] < low || data[1] > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (!isContinuation(data[i]))
            return 0;
    }
    return length;
}

// Characters that would hide, move or break the text around a name: the C0
// and C1 controls and DEL, the bidirectional marks, embeddings, overrides
// and isolates (a right-to-left override before "gpj.exe" shows it as
// "exe.jpg"), and the line and paragraph separators.
bool isHiddenCharacter(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || unit == 0x061C || unit == 0x200E ||
           unit == 0x200F || (unit >= 0x2028 && unit <= 0x202E) ||
           (unit >= 0x2066 && unit <= 0x2069);
}

QString upperHex(uint value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

bool isEscapedByte(QStringView name, qsizetype i) {
    const char16_t unit = name[i].unicode();
    const bool afterHigh = i > 0 && QChar::isHighSurrogate(name[i - 1].unicode());
    return unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF && !afterHigh;
}

void appendUtf8(QByteArray &out, char32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// The entries of a directory whose names Qt decodes to `lossy`.
QList<QByteArray> entriesDecodedTo(const QByteArray &directory, const QString &lossy) {
    QList<QByteArray> matches;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(directory.constData());
    if (!dir)
        return matches;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (QFile::decodeName(name) == lossy)
            matches << name;
    }
    ::closedir(dir);
#else
    // Windows keeps names in UTF-16, which Qt never decodes lossily.
    Q_UNUSED(directory);
    Q_UNUSED(lossy);
#endif
    return matches;
}

} // namespace

QString decode(QByteArrayView native) {
    const auto *data = reinterpret_cast<const unsigned char *>(native.data());
    const qsizetype size = native.size();
    QString name;
    name.reserve(size);
    for (qsizetype i = 0; i < size;) {
        if (data[i] < 0x80) {
            name += QChar(data[i++]);
            continue;
        }
        const int length = validSequence(data + i, size - i);
        if (length == 0) {
            name += QChar(char16_t(escapeBase + data[i++]));
            continue;
        }
        name += QString::fromUtf8(reinterpret_cast<const char *>(data + i), length);
        i += length;
    }
    return name;
}

QByteArray encode(QStringView name) {
    QByteArray native;
    native.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (isEscapedByte(name, i)) {
            native += char(unit - escapeBase);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < name.size() &&
                   QChar::isLowSurrogate(name[i + 1].unicode())) {
            appendUtf8(native, QChar::surrogateToUcs4(unit, name[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(native, replacement);
        } else {
            appendUtf8(native, unit);
        }
    }
    return native;
}

QString displayed(QStringView name) {
    QString shown;
    shown.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (isEscapedByte(name, i))
            shown += QStringLiteral("\\x") + upperHex(unit - escapeBase, 2);
        else if (isHiddenCharacter(unit) && unit < 0x80)
            shown += QStringLiteral("\\x") + upperHex(unit, 2);
        else if (isHiddenCharacter(unit))
            shown += QStringLiteral("\\u") + upperHex(unit, 4);
        else
            shown += name[i];
    }
    return shown;
}

QString absolute(const QString &path) {
#ifdef Q_OS_UNIX
    if (path.isEmpty() || path.startsWith(u'/'))
        return QDir::cleanPath(path);
    QByteArray current(PATH_MAX, Qt::Uninitialized);
    if (!::getcwd(current.data(), size_t(current.size())))
        return path;
    current.truncate(qstrlen(current.constData()));
    return QDir::cleanPath(decode(current) + u'/' + path);
#else
    return path.isEmpty() ? path : QDir::cleanPath(QDir::current().absoluteFilePath(path));
#endif
}

Resolved resolveLossy(const QString &path) {
    if (!path.contains(QChar(replacement)))
        return {path, {}};
    const QStringList components = path.split(u'/');
    const bool absolute = path.startsWith(u'/');
    QByteArray native;
    for (qsizetype i = 0; i < components.size(); ++i) {
        const QString &component = components[i];
        if (i > 0)
            native += '/';
        if (!component.contains(QChar(replacement))) {
            native += encode(component);
            continue;
        }
        const QByteArray directory = native.isEmpty() ? QByteArray(absolute ? "/" : ".") : native;
        const QList<QByteArray> matches = entriesDecodedTo(directory, component);
        if (matches.size() > 1) {
            return {{},
                    QStringLiteral("В папке «%1» несколько файлов с именем «%2», которые "
                                   "различаются только знаками не в UTF-8; откройте нужный "
                                   "из командной строки или переименуйте его.")
                        .arg(displayed(decode(directory)), component)};
        }
        native += matches.isEmpty() ? encode(component) : matches.constFirst();
    }
    return {decode(native), {}};
}

} // namespace nativename
