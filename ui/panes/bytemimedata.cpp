#include "bytemimedata.h"

#include "codepages/cp1251codec.h"

#include <QUrl>
#include <algorithm>

QStringList ByteMimeData::formats() const {
    return {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain")};
}

QVariant ByteMimeData::retrieveData(const QString &mimeType, QMetaType) const {
    if (!hasFormat(mimeType))
        return {};
    if (madeText.isNull())
        madeText = cp1251::toClipboardText(cp1251::toPaneText(snapshot.read(start, end - start)));
    return madeText;
}

bool pastesAsText(const QMimeData *data) {
    if (!data || !data->hasText())
        return false;
    if (!data->hasUrls())
        return true;
    const auto urls = data->urls();
    return std::none_of(urls.begin(), urls.end(),
                        [](const QUrl &url) { return url.isLocalFile(); });
}
