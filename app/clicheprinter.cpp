#include "clicheprinter.h"

#include "clichecheck.h"
#include "cp1251codec.h"

#include <QIODevice>

namespace clicheprinter {
namespace {

QString shown(const ByteText &text) {
    return cp1251::toDisplayText(text);
}

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
        names << shown(model.name);
    return names;
}

std::optional<cliche::RegisterModel> modelNamed(QStringView name) {
    for (const cliche::RegisterModel &model : cliche::registerModels()) {
        if (name.compare(shown(model.name), Qt::CaseInsensitive) == 0)
            return model;
    }
    return otherModelNamed(name);
}

Result printFindings(const QString &file, QIODevice &in, const cliche::RegisterModel &model,
                     QIODevice &out) {
    constexpr qint64 pieceSize = 64 * 1024;
    const QByteArray prefix = file.toUtf8() + ':';
    Result result;
    QByteArray lines;
    // Most findings share their message with the one before.
    ByteText lastMessage;
    QByteArray lastMessageUtf8;
    cliche::CheckStream stream(model, [&](const cliche::Finding &f) {
        ++result.findings;
        if (f.message != lastMessage) {
            lastMessage = f.message;
            lastMessageUtf8 = shown(f.message).toUtf8();
        }
        lines += prefix;
        lines += QByteArray::number(f.line);
        lines += ':';
        lines += QByteArray::number(f.column);
        lines += ": ";
        lines += lastMessageUtf8;
        lines += '\n';
    });
    const auto flush = [&] {
        const bool written = out.write(lines) == lines.size();
        lines.clear();
        if (!written)
            result = {Result::Status::WriteFailed, result.findings, out.errorString()};
        return written;
    };

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
        if (lines.size() >= pieceSize && !flush())
            return result;
    }
    stream.finish();
    flush();
    return result;
}

} // namespace clicheprinter
