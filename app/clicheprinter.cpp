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

qsizetype printFindings(const QString &file, QByteArrayView bytes,
                        const cliche::RegisterModel &model, QIODevice &out) {
    const QList<cliche::Finding> findings = cliche::check(bytes, model);
    QString text;
    for (const cliche::Finding &f : findings)
        text +=
            QStringLiteral("%1:%2:%3: %4\n")
                .arg(file, QString::number(f.line), QString::number(f.column), shown(f.message));
    const QByteArray utf8 = text.toUtf8();
    if (out.write(utf8) != utf8.size())
        return -1;
    return findings.size();
}

} // namespace clicheprinter
