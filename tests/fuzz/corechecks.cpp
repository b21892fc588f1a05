#include "corechecks.h"

#include "codepages/cp1251codec.h"
#include "codepages/views.h"
#include "io/document.h"

#include <array>

namespace corechecks {
namespace {

using View = views::View;

constexpr std::array<std::pair<const char *, View>, 6> allViews = {{
    {"hex dump", views::hexDump},
    {"866 glyphs", views::cp866Glyphs},
    {"1251 glyphs", views::cp1251Glyphs},
    {"control names", views::controlNames},
    {"866 listing", views::clicheListing866},
    {"1251 listing", views::clicheListing1251},
}};

// Every view works byte by byte, and a listing is its new-line mark followed
// by one piece per byte: so a document's view is what the view gives for its
// bytes one at a time, joined in order, and its tokens end where the pieces
// do.
struct Pieces {
    std::array<QByteArray, allViews.size()> start;
    std::array<std::array<QByteArray, 256>, allViews.size()> byByte;
};

const Pieces &pieces() {
    static const Pieces table = [] {
        Pieces result;
        for (size_t view = 0; view < allViews.size(); ++view) {
            result.start[view] = allViews[view].second({}, nullptr);
            for (int b = 0; b < 256; ++b) {
                const QByteArray whole = allViews[view].second(QByteArray(1, char(b)), nullptr);
                result.byByte[view][b] = whole.sliced(result.start[view].size());
            }
        }
        return result;
    }();
    return table;
}

QString describe(QByteArrayView bytes) {
    return QStringLiteral("%1 bytes starting %2")
        .arg(bytes.size())
        .arg(QString::fromLatin1(
            bytes.first(std::min<qsizetype>(bytes.size(), 32)).toByteArray().toHex(' ')));
}

QString checkViews(QByteArrayView bytes) {
    const Pieces &table = pieces();
    for (size_t view = 0; view < allViews.size(); ++view) {
        QByteArray expected = table.start[view];
        views::TokenEnds expectedEnds;
        if (!expected.isEmpty())
            expectedEnds << quint32(expected.size());
        for (const char c : bytes) {
            expected += table.byByte[view][uchar(c)];
            expectedEnds << quint32(expected.size());
        }
        views::TokenEnds ends;
        if (allViews[view].second(bytes, nullptr) != expected ||
            allViews[view].second(bytes, &ends) != expected)
            return QStringLiteral("%1 differs from its pieces")
                .arg(QLatin1String(allViews[view].first));
        if (ends != expectedEnds)
            return QStringLiteral("%1 has its tokens end elsewhere than its pieces")
                .arg(QLatin1String(allViews[view].first));
    }
    // The pieces of the hex dump, against an oracle of their own.
    QByteArray hex;
    for (const char c : bytes)
        hex += QByteArray(1, c).toHex().toUpper() + "  ";
    if (views::hexDump(bytes) != hex)
        return QStringLiteral("hex dump differs from two upper-case digits and two spaces a byte");
    return {};
}

QString checkCodec(QByteArrayView bytes) {
    qsizetype lineBreaks = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == '\r' && bytes[i + 1] == '\n') {
            ++lineBreaks;
            ++i;
        }
    }
    const QString pane = cp1251::toPaneText(bytes);
    if (pane.size() != bytes.size() - lineBreaks)
        return QStringLiteral("pane text is not one character a byte, one a CR LF");
    if (cp1251::fromPaneText(pane) != std::optional<ByteText>(bytes.toByteArray()))
        return QStringLiteral("pane text does not give the bytes back");
    if (cp1251::toDisplayText(bytes).size() != pane.size())
        return QStringLiteral("display text is not one character a byte, one a CR LF");
    // Offsets into the bytes land where the text of the bytes before them
    // ends: one character less for every CR LF pair before them.
    QList<quint32> offsets;
    QList<quint32> expected;
    quint32 pairs = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        const bool insidePair =
            i > 0 && i < bytes.size() && bytes[i - 1] == '\r' && bytes[i] == '\n';
        if (insidePair) {
            ++pairs;
            continue;
        }
        offsets << quint32(i);
        expected << quint32(i) - pairs;
    }
    const QString display = cp1251::toDisplayText(bytes, offsets);
    if (display != cp1251::toDisplayText(bytes) || offsets != expected)
        return QStringLiteral("display text moves offsets wrongly");
    return {};
}

QString checkSaveThenLoad(QByteArrayView bytes, const QString &scratchPath) {
    const document::SaveResult saved = document::save(scratchPath, bytes);
    if (!saved.ok)
        return QStringLiteral("save failed: ") + saved.error;
    const document::LoadResult loaded = document::load(scratchPath, qint64(1) << 40);
    const auto expected = bytes.isEmpty() ? document::LoadResult::Status::Empty
                                          : document::LoadResult::Status::Loaded;
    if (loaded.status != expected || loaded.bytes != bytes || loaded.size != bytes.size())
        return QStringLiteral("load after save does not give the bytes back");
    return {};
}

} // namespace

QString checkDocument(QByteArrayView bytes, const QString &scratchPath) {
    QString failure = checkViews(bytes);
    if (failure.isEmpty())
        failure = checkCodec(bytes);
    if (failure.isEmpty())
        failure = checkSaveThenLoad(bytes, scratchPath);
    return failure.isEmpty() ? failure : failure + QStringLiteral(" for ") + describe(bytes);
}

QString checkPaneText(QStringView text) {
    // The pane's line break and a paragraph separator both stand for CR LF.
    bool everyCharacterHasAByte = true;
    qsizetype lineBreaks = 0;
    for (const QChar ch : text) {
        if (ch == cp1251::lineBreak || ch == QChar::ParagraphSeparator)
            ++lineBreaks;
        else if (!cp1251::toByte(ch))
            everyCharacterHasAByte = false;
    }
    const std::optional<ByteText> bytes = cp1251::fromPaneText(text);
    if (bytes.has_value() != everyCharacterHasAByte)
        return QStringLiteral("pane text taken or refused wrongly: ") +
               text.first(std::min<qsizetype>(text.size(), 64)).toString();
    if (bytes && bytes->size() != text.size() + lineBreaks)
        return QStringLiteral("pane text gives a wrong number of bytes: ") +
               text.first(std::min<qsizetype>(text.size(), 64)).toString();
    if (bytes && cp1251::fromPaneText(cp1251::toPaneText(*bytes)) != bytes)
        return QStringLiteral("bytes of a pane text do not come back: ") +
               text.first(std::min<qsizetype>(text.size(), 64)).toString();
    return {};
}

} // namespace corechecks
