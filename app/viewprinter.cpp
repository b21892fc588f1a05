#include "viewprinter.h"

#include "codepages/cp1251codec.h"
#include "codepages/views.h"

#include <QIODevice>

namespace viewprinter {
namespace {

struct NamedView {
    QLatin1StringView name;
    View view;
    const char *description; // UTF-8
};

const NamedView namedViews[] = {
    {QLatin1StringView("hex"), views::hexDump, "шестнадцатеричный дамп"},
    {QLatin1StringView("866"), views::cp866Glyphs, "байты как текст в кодировке DOS 866"},
    {QLatin1StringView("1251"), views::cp1251Glyphs, "байты как текст в кодировке Windows 1251"},
    {QLatin1StringView("names"), views::controlNames, "названия управляющих символов"},
    {QLatin1StringView("listing866"), views::clicheListing866,
     "листинг кодов клише для ККМ группы 866"},
    {QLatin1StringView("listing1251"), views::clicheListing1251,
     "листинг кодов клише для ККМ группы 1251"},
};

const NamedView *find(QStringView name) {
    for (const NamedView &named : namedViews) {
        if (name == named.name)
            return &named;
    }
    return nullptr;
}

constexpr qint64 pieceSize = 64 * 1024;

// The hex dump's text is ASCII without line breaks: its own UTF-8.
bool writeText(QIODevice &out, QByteArrayView viewText, bool ascii) {
    if (ascii)
        return out.write(viewText.data(), viewText.size()) == viewText.size();
    QByteArray utf8;
    cp1251::appendDisplayUtf8(utf8, viewText);
    return out.write(utf8) == utf8.size();
}

Result writeFailed(const QIODevice &out) {
    return {Result::Status::WriteFailed, out.errorString()};
}

} // namespace

QStringList viewNames() {
    QStringList names;
    for (const NamedView &named : namedViews)
        names << named.name;
    return names;
}

View viewNamed(QStringView name) {
    const NamedView *named = find(name);
    return named ? named->view : nullptr;
}

QString viewDescription(QStringView name) {
    const NamedView *named = find(name);
    return named ? QString::fromUtf8(named->description) : QString();
}

Result print(View view, QIODevice &in, QIODevice &out) {
    // Every view turns each byte into text of its own, after a lead it
    // writes before the first byte (a listing's new-line mark: the view of no
    // bytes). So a file is read and converted a piece at a time, and its size
    // costs no memory; each piece's view is written without that lead. No
    // token ends in a CR, so no CR LF pair straddles two pieces.
    const bool ascii = view == views::hexDump;
    const ByteText lead = view({}, nullptr);
    if (!writeText(out, lead, ascii))
        return writeFailed(out);

    QByteArray piece(pieceSize, Qt::Uninitialized);
    for (;;) {
        const qint64 length = in.read(piece.data(), pieceSize);
        if (length < 0)
            return {Result::Status::ReadFailed, in.errorString()};
        if (length == 0)
            break;
        const ByteText text = view(QByteArrayView(piece.constData(), length), nullptr);
        if (!writeText(out, QByteArrayView(text).sliced(lead.size()), ascii))
            return writeFailed(out);
    }
    if (out.write("\n", 1) != 1)
        return writeFailed(out);
    return {};
}

} // namespace viewprinter
