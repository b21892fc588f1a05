#include "clicheprinter.h"

#include "checks/clichecheck.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace clicheprinter {
namespace {

// A file's findings go out by the million, so their lines are put together
// in plain memory, the message as the check made it in UTF-8.
class LineWriter {
public:
    explicit LineWriter(const QString &file) : prefix(file.toUtf8() + ':') {}

    void append(const cliche::Finding &f, QByteArrayView message) {
        // Digits of two numbers, the separators and the line's end.
        const qsizetype most = prefix.size() + 2 * 20 + 4 + message.size();
        if (used + most > qsizetype(buffer.size()))
            buffer.resize(std::max(buffer.size() * 2, size_t(used + most)));
        char *at = buffer.data() + used;
        at = std::copy(prefix.cbegin(), prefix.cend(), at);
        at = std::to_chars(at, at + 20, f.line).ptr;
        *at++ = ':';
        at = std::to_chars(at, at + 20, f.column).ptr;
        *at++ = ':';
        *at++ = ' ';
        at = std::copy(message.begin(), message.end(), at);
        *at++ = '\n';
        used = at - buffer.data();
    }
    qsizetype size() const { return used; }
    bool writeTo(QIODevice &out) {
        const bool written = out.write(buffer.data(), used) == used;
        used = 0;
        return written;
    }

private:
    QByteArray prefix;
    std::vector<char> buffer;
    qsizetype used = 0;
};

// "866:32" or "1251:24:6", within the ranges the check window offers.
std::optional<cliche::RegisterModel> otherModelNamed(QStringView name) {
    const QList<QStringView> parts = name.split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    cliche::Group group;
    if (parts[0] == u"866")
        group = cliche::Group::Cp866;
    else if (parts[0] == u"1251")
        group = cliche::Group::Cp1251;
    else
        return std::nullopt;
    bool ok = false;
    const int width = parts[1].toInt(&ok);
    if (!ok || width < cliche::minOtherWidth || width > cliche::maxOtherWidth)
        return std::nullopt;
    int lines = 0; // no limit
    if (parts.size() == 3) {
        lines = parts[2].toInt(&ok);
        if (!ok || lines < 1 || lines > cliche::maxOtherLineLimit)
            return std::nullopt;
    }
    return cliche::otherModel(group, width, lines);
}

} // namespace

QStringList modelNames() {
    QStringList names;
    for (const cliche::RegisterModel &model : cliche::registerModels())
        names << model.name;
    return names;
}

std::optional<cliche::RegisterModel> modelNamed(QStringView name) {
    for (const cliche::RegisterModel &model : cliche::registerModels()) {
        if (name.compare(model.name, Qt::CaseInsensitive) == 0)
            return model;
    }
    return otherModelNamed(name);
}

Result printFindings(const QString &file, QIODevice &in, const cliche::RegisterModel &model,
                     QIODevice &out) {
    constexpr qint64 pieceSize = 64 * 1024;
    LineWriter lines(file);
    Result result;
    const auto flush = [&] {
        const bool written = lines.writeTo(out);
        if (!written)
            result = {Result::Status::WriteFailed, result.findings, out.errorString()};
        return written;
    };
    // A piece of zeros is a finding per byte: the lines go out as they fill
    // a piece, not a piece's findings at once.
    cliche::CheckStream stream(model, [&](const cliche::Finding &f, QByteArrayView message) {
        ++result.findings;
        if (result.status == Result::Status::WriteFailed)
            return;
        lines.append(f, message);
        if (lines.size() >= pieceSize)
            flush();
    });

    QByteArray piece(pieceSize, Qt::Uninitialized);
    for (;;) {
        const qint64 length = in.read(piece.data(), pieceSize);
        if (length < 0) {
            // What was found so far is still told.
            if (flush())
                result = {Result::Status::ReadFailed, result.findings, in.errorString()};
            return result;
        }
        if (length == 0)
            break;
        stream.feed(QByteArrayView(piece.constData(), length));
        if (result.status == Result::Status::WriteFailed)
            return result;
    }
    stream.finish();
    if (result.status != Result::Status::WriteFailed)
        flush();
    return result;
}

} // namespace clicheprinter
