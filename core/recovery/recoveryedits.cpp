#include "recovery/recoveryedits.h"

#include "base/sizebounds.h"
#include "io/document.h"
#include "io/nativename.h"

#include <QFile>

#include <memory>
#include <vector>

namespace recovery {
namespace {

// A piece of an edits copy's list: a range of the original, or bytes of
// the list's own from inlineAt.
struct ListedPiece {
    qint64 fileOffset = 0;
    qint64 length = 0;
    qint64 inlineAt = -1;
};

QString changedMessage(const QString &path) {
    return QStringLiteral("Исходный файл «%1» изменён или удалён после того, как копия была "
                          "сделана; правки в копии относятся к прежнему файлу, восстановить её "
                          "нельзя.")
        .arg(nativename::displayed(path));
}

QString listDamaged() {
    return damaged(QStringLiteral("список её частей не сходится с заголовком"));
}

// A number written by the program: digits alone, no sign nor spaces.
bool readNumber(QByteArrayView &rest, char end, qint64 &number) {
    const qsizetype stop = rest.indexOf(end);
    if (stop <= 0 || stop > 19)
        return false;
    number = 0;
    for (const char c : rest.first(stop)) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    rest = rest.sliced(stop + 1);
    return true;
}

// The list's pieces, each within the original and the list, adding up to
// the header's counts; nothing where they do not.
std::optional<std::vector<ListedPiece>> piecesOf(const Header &header, QByteArrayView body) {
    std::vector<ListedPiece> pieces;
    qint64 total = 0;
    qint64 own = 0;
    QByteArrayView rest = body;
    while (!rest.isEmpty()) {
        if (qint64(pieces.size()) == header.pieces || rest.size() < 2 || rest[1] != ' ')
            return std::nullopt;
        const char kind = rest[0];
        rest = rest.sliced(2);
        ListedPiece piece;
        if (kind == 'f') {
            if (!readNumber(rest, ' ', piece.fileOffset) || !readNumber(rest, '\n', piece.length) ||
                piece.fileOffset > header.original->identity.size ||
                piece.length > header.original->identity.size - piece.fileOffset)
                return std::nullopt;
        } else if (kind == 'b') {
            if (!readNumber(rest, '\n', piece.length) || piece.length > rest.size())
                return std::nullopt;
            piece.inlineAt = body.size() - rest.size();
            rest = rest.sliced(piece.length);
            own += piece.length;
        } else {
            return std::nullopt;
        }
        if (piece.length == 0 || piece.length > header.size - total)
            return std::nullopt;
        total += piece.length;
        pieces.push_back(piece);
    }
    if (qint64(pieces.size()) != header.pieces || total != header.size || own != header.inlineBytes)
        return std::nullopt;
    return pieces;
}

} // namespace

std::optional<Edits> editsOf(const PieceTable &table) {
    const FileSource *file = table.file();
    if (!file || file->changed() || file->replaced())
        return std::nullopt;
    FileSource::Identity now;
    if (!FileSource::identityOfPath(file->path(), now) || !(now == file->identity()))
        return std::nullopt;
    const PieceTable::Pieces pieces = table.slice(0, table.size());
    qint64 own = 0;
    for (const PieceTable::Piece &piece : pieces) {
        if (piece.data)
            own += piece.length;
    }
    if (own > sizebounds::recoveryCopyAtMost || own >= table.size() / 2)
        return std::nullopt;
    Edits edits{{file->path(), file->identity()}, qint64(pieces.size()), own, {}};
    edits.body.reserve(qsizetype(own) + qsizetype(pieces.size()) * 24);
    for (const PieceTable::Piece &piece : pieces) {
        if (piece.data) {
            edits.body += "b " + QByteArray::number(piece.length) + '\n';
            edits.body.append(piece.data, qsizetype(piece.length));
        } else {
            edits.body += "f " + QByteArray::number(piece.fileOffset) + ' ' +
                          QByteArray::number(piece.length) + '\n';
        }
    }
    return edits;
}

QString originalChange(const Original &original) {
    FileSource::Identity now;
    if (FileSource::identityOfPath(original.path, now) && now == original.identity)
        return {};
    return changedMessage(original.path);
}

std::optional<PieceTable> restoreEdits(const Header &header, QByteArrayView body, QString *error) {
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!header.original || !header.checksum)
        return fail(listDamaged());
    const quint32 checksum =
        checksumOf(checksumUpdate(checksumUpdate(checksumStart, header.covered), body));
    if (checksum != *header.checksum)
        return fail(damaged(QStringLiteral("её байты не сходятся с контрольной суммой, "
                                           "записанной вместе с ними")));
    const std::optional<std::vector<ListedPiece>> pieces = piecesOf(header, body);
    if (!pieces)
        return fail(listDamaged());
    const Original &original = *header.original;
    if (QString change = originalChange(original); !change.isEmpty())
        return fail(change);
    auto file = std::make_unique<QFile>();
    if (document::openForReading(original.path, *file))
        return fail(changedMessage(original.path));
    auto source = std::make_shared<FileSource>(std::move(file), original.path);
    // Changed between the look above and the open.
    if (!(source->identity() == original.identity))
        return fail(changedMessage(original.path));

    PieceTable table(std::move(source));
    table.replace(0, table.size(), PieceTable::Pieces{});
    for (const ListedPiece &piece : *pieces) {
        if (piece.inlineAt < 0)
            table.replace(table.size(), 0,
                          PieceTable::Pieces{{nullptr, piece.length, piece.fileOffset}});
        else
            table.replace(table.size(), 0, body.sliced(piece.inlineAt, piece.length));
    }
    return table;
}

} // namespace recovery
