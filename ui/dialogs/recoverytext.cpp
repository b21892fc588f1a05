#include "recoverytext.h"

#include "carettext.h"
#include "io/nativename.h"

#include <QLocale>

#include <algorithm>
#include <iterator>

namespace recoverytext {

QString when(const QDateTime &written, const QDateTime &now) {
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QDateTime local = written.toLocalTime();
    const QString time = russian.toString(local.time(), QStringLiteral("HH:mm"));
    if (local.date() == now.toLocalTime().date())
        return time;
    return russian.toString(local.date(), QStringLiteral("dd.MM.yyyy")) + u' ' + time;
}

namespace {

// "документ «kkm.bin» от 14:05, 12 байт"
QString document(const recovery::CopyInfo &copy, const QDateTime &now) {
    QString name;
    if (!copy.origin.isEmpty())
        name = QStringLiteral("«%1» ").arg(nativename::displayed(copy.origin.section(u'/', -1)));
    return QStringLiteral("документ %1от %2, %3")
        .arg(name, when(copy.written, now), carettext::bytes(copy.size));
}

} // namespace

QString copy(const recovery::CopyInfo &copy, const QDateTime &now) {
    return QStringLiteral("Несохранённый ") + document(copy, now);
}

QString restored(const recovery::CopyInfo &copy, const QDateTime &now) {
    return QStringLiteral("Восстановлен несохранённый %1. Сохраните его: «Файл» → «Сохранить».")
        .arg(document(copy, now));
}

QString notice(const std::vector<recovery::CopyInfo> &copies, const QDateTime &now) {
    std::vector<recovery::CopyInfo> whole;
    std::copy_if(copies.cbegin(), copies.cend(), std::back_inserter(whole),
                 [](const recovery::CopyInfo &copy) {
                     return copy.damage.isEmpty() && copy.originalChanged.isEmpty();
                 });
    if (whole.empty())
        return {};
    QString text = copy(whole.front(), now);
    if (whole.size() > 1)
        text += QStringLiteral(", и ещё %1").arg(whole.size() - 1);
    return text + QStringLiteral(". Восстановить: «Файл» → «Восстановить несохранённое…»");
}

QString origin(const recovery::CopyInfo &copy) {
    return copy.origin.isEmpty() ? QStringLiteral("(набран, не из файла)")
                                 : nativename::displayed(copy.origin);
}

} // namespace recoverytext
