#pragma once

#include "codepages/views.h"
#include "document/piecetable.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <type_traits>
#include <vector>

class ByteDocument;

// A place in a display pane's text: character `offset` of token `token`.
// Kept in tokens rather than characters, a place needs no count of the
// characters before it, so rows, selections and fonts stay where they are
// whatever a document of any size holds before them. The end of the text is
// {tokenCount, 0}; otherwise 0 <= offset < the token's length.
struct TokenPlace {
    qint64 token = 0;
    int offset = 0;

    friend bool operator==(TokenPlace a, TokenPlace b) {
        return a.token == b.token && a.offset == b.offset;
    }
    friend bool operator!=(TokenPlace a, TokenPlace b) { return !(a == b); }
    friend bool operator<(TokenPlace a, TokenPlace b) {
        return a.token < b.token || (a.token == b.token && a.offset < b.offset);
    }
    friend bool operator>(TokenPlace a, TokenPlace b) { return b < a; }
    friend bool operator<=(TokenPlace a, TokenPlace b) { return !(b < a); }
    friend bool operator>=(TokenPlace a, TokenPlace b) { return !(a < b); }
};

// A view's tokens as a pane shows them: a line break (CR LF) is one '\n',
// every other byte its code page 1251 character.
class DisplayTokens {
public:
    // The display form of one of the views of views.h; nullptr for another
    // function.
    static const DisplayTokens *of(views::View view);

    views::View view() const { return shownView; }
    QStringView lead() const { return leadText; }
    QStringView token(unsigned char byte) const { return texts[byte]; }
    int length(unsigned char byte) const { return lengths[byte]; }
    // The token holds a line break, so it ends a row (or starts one).
    bool breaksRow(unsigned char byte) const { return flags[byte] & lineBreak; }
    // Spaces only: it may hang past the edge of a row, as spaces do.
    bool isBlank(unsigned char byte) const { return flags[byte] & blank; }
    // The length every token has when they all have one and there is no
    // lead (the hex dump's four characters), else 0.
    int uniformLength() const { return uniform; }

private:
    DisplayTokens(views::View view, const views::Tokens &tokens);

    enum Flag : quint8 { lineBreak = 1, blank = 2 };
    static quint8 flagsOf(QStringView text);

    views::View shownView;
    QString leadText;
    std::array<QString, 256> texts;
    std::array<int, 256> lengths{};
    std::array<quint8, 256> flags{};
    quint8 leadFlags = 0;
    int uniform = 0;
};

// Where a place stands after tokens [first, first + removed) became
// [first, first + added): before them it stays, after them it moves by the
// difference, inside them it keeps its token as far as the new ones reach,
// at the token's start.
inline TokenPlace shiftedPlace(TokenPlace place, qint64 first, qint64 removed, qint64 added) {
    if (place.token < first)
        return place;
    if (place.token >= first + removed)
        return {place.token + added - removed, place.offset};
    return {first + qMin(place.token - first, added), 0};
}

// What a display pane shows: views of ranges of bytes, one after another as
// they were appended. Each byte range is either a snapshot (a copy of a piece
// table, which later edits leave as it is) or a live range of a document,
// read whenever the pane draws. No text is kept: a token's text comes from
// its view's table and its byte, so the content costs the bytes' snapshot and
// a few numbers, whatever the view's text would weigh.
class PaneContent {
public:
    // Which view of which bytes of the document the content is, when it is
    // one view of one range (offset -1 otherwise).
    struct Source {
        qint64 offset = -1;
        qint64 length = 0; // in bytes
        views::View view = nullptr;
    };

    // Tokens [first, first + removed) became [first, first + added): so
    // many characters gave way to so many.
    struct TokenChange {
        qint64 first = 0;
        qint64 removed = 0;
        qint64 added = 0;
        qint64 removedChars = 0;
        qint64 addedChars = 0;
    };

    PaneContent();
    ~PaneContent();

    void clear();
    // Appends the view of bytes, which stand at documentOffset in the
    // document (-1 when not known). A view that views.h does not know adds
    // nothing.
    void append(views::View view, const PieceTable &bytes, qint64 documentOffset = -1);
    // The view of the document's bytes from offset on, at most length of
    // them, read as they are whenever asked: the only content there is.
    void follow(views::View view, const ByteDocument *document, qint64 offset,
                qint64 length = PieceTable::toEnd);
    // The same views of other bytes: the one range shown gets bytes in its
    // place. Returns the tokens that may have changed.
    TokenChange replaceBytes(const PieceTable &bytes);
    // The followed document changed its bytes [offset, offset + removed) to
    // [offset, offset + added): the tokens that changed with them, if any.
    std::optional<TokenChange> documentChanged(qint64 offset, qint64 removed, qint64 added);

    bool isEmpty() const { return tokenCount() == 0; }
    Source source() const;
    bool isLive() const { return !segments.empty() && segments.front().document; }
    const ByteDocument *followedDocument() const;
    // The range of the document a followed content shows: its offset, and
    // its length (PieceTable::toEnd: to the document's end).
    struct Range {
        qint64 offset = 0;
        qint64 length = 0;
    };
    std::optional<Range> followedRange() const;
    // The followed document changed its length since the content last
    // looked: an edit is being told to its listeners, and this content
    // hears of it later. Edits that keep the length move no offset.
    bool isBehind() const;
    // The document offset of token k of a followed content, -1 for a lead
    // or another content.
    qint64 documentOffsetOf(qint64 k) const;
    // A followed content keeps the bytes it shows now, as a snapshot.
    void freeze();

    // Tokens.
    qint64 tokenCount() const;
    QStringView tokenText(qint64 k) const;
    int tokenLength(qint64 k) const { return int(tokenText(k).size()); }
    // The byte behind token k, -1 for a lead.
    int byteOf(qint64 k) const;
    // The view's tokens the content shows; the same for all (nullptr when
    // empty or mixed).
    const DisplayTokens *tokensShown() const;
    // Calls f(k, const DisplayTokens &, int byte) for every token in
    // [from, to), in order; byte is -1 for a lead. Reads the bytes a
    // contiguous run at a time. An f that returns false stops it.
    template <class F> void forEachToken(qint64 from, qint64 to, F &&f) const;

    // Calls f(k, const DisplayTokens &, QByteArrayView bytes) for the runs
    // of tokens in [from, to) whose bytes lie together, token k first; a
    // lead comes alone, with no bytes. An f that returns false stops it.
    template <class F> void forEachChunk(qint64 from, qint64 to, F &&f) const;

    // Places.
    TokenPlace end() const { return {tokenCount(), 0}; }
    // The place moved to a token start or the end where the offset reaches
    // past its token, and clamped to the content.
    TokenPlace normalized(TokenPlace place) const;
    // The place chars characters further (or back, when negative), clamped.
    TokenPlace moved(TokenPlace place, qint64 chars) const;

    // Characters. Counted a block of tokens at a time as asked and kept, so
    // the first question about a large content costs one pass over its
    // bytes and later ones a block at most.
    qint64 charCount() const;
    qint64 charOf(TokenPlace place) const;
    TokenPlace placeOf(qint64 character) const;
    // The text of [from, to).
    QString text(TokenPlace from, TokenPlace to) const;
    QString text() const { return text({}, end()); }

private:
    struct Segment {
        const DisplayTokens *tokens = nullptr;
        PieceTable snapshot;
        const ByteDocument *document = nullptr;
        qint64 offset = 0; // of the first byte, in snapshot or document
        qint64 length = 0; // bytes at most, from offset
        qint64 documentOffset = -1;
        qint64 firstToken = 0;

        const PieceTable &bytes() const;
        qint64 byteCount() const;
        bool hasLead() const { return !tokens->lead().isEmpty(); }
        qint64 tokenCount() const { return (hasLead() ? 1 : 0) + byteCount(); }
    };

    std::size_t segmentOf(qint64 k) const;
    void recount();
    // The characters of the tokens of count bytes from offset.
    static qint64 charsOf(const PieceTable &bytes, qint64 offset, qint64 count,
                          const DisplayTokens &shown);
    // Keeps the counted blocks true after a change.
    void countChange(const TokenChange &change);
    // Characters from the start of block b of tokens; blocks before it
    // counted as needed.
    qint64 blockStart(qint64 b) const;
    void forgetBlocksFrom(qint64 token);
    int uniformLength() const;

    std::vector<Segment> segments;
    qint64 tokens = 0;
    // The followed document's bytes as the content last showed them, so a
    // change can tell what its bytes were.
    PieceTable shownBytes;

    static constexpr qint64 blockTokens = 1024;
    // blockStarts[b]: characters before token b * blockTokens.
    mutable std::vector<qint64> blockStarts{0};
};

template <class F> void PaneContent::forEachToken(qint64 from, qint64 to, F &&f) const {
    using Result = std::invoke_result_t<F &, qint64, const DisplayTokens &, int>;
    const auto call = [&](qint64 k, const DisplayTokens &shown, int byte) {
        if constexpr (std::is_same_v<Result, bool>)
            return f(k, shown, byte);
        f(k, shown, byte);
        return true;
    };
    // Only a lead comes without bytes: a run of bytes is never empty.
    forEachChunk(from, to, [&](qint64 k, const DisplayTokens &shown, QByteArrayView bytes) {
        if (bytes.isEmpty())
            return call(k, shown, -1);
        for (const char c : bytes) {
            if (!call(k++, shown, int(uchar(c))))
                return false;
        }
        return true;
    });
}

template <class F> void PaneContent::forEachChunk(qint64 from, qint64 to, F &&f) const {
    from = qMax<qint64>(0, from);
    to = qMin(to, tokenCount());
    bool going = true;
    for (std::size_t s = segmentOf(from); going && s < segments.size() && from < to; ++s) {
        const Segment &segment = segments[s];
        const DisplayTokens &shown = *segment.tokens;
        qint64 k = from;
        qint64 local = k - segment.firstToken;
        const qint64 stop = qMin(to, segment.firstToken + segment.tokenCount());
        if (segment.hasLead()) {
            if (local == 0 && k < stop)
                going = f(k++, shown, QByteArrayView());
            local = qMax<qint64>(0, local - 1);
        }
        if (going) {
            segment.bytes().forEachChunk(segment.offset + local, stop - k,
                                         [&](QByteArrayView chunk) {
                                             going = f(k, shown, chunk);
                                             k += chunk.size();
                                             return going;
                                         });
        }
        from = stop;
    }
}
