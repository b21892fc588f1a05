#include "panecontent.h"

#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteedit.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

// Display tokens ---------------------------------------------------------

quint8 DisplayTokens::flagsOf(QStringView text) {
    quint8 flags = 0;
    if (text.contains(u'\n'))
        flags |= lineBreak;
    if (!text.isEmpty() &&
        std::all_of(text.begin(), text.end(), [](QChar ch) { return ch == u' '; }))
        flags |= blank;
    return flags;
}

DisplayTokens::DisplayTokens(views::View view, const views::Tokens &tokens)
    : shownView(view), leadText(cp1251::toDisplayText(tokens.lead)) {
    for (int b = 0; b < 256; ++b) {
        texts[b] = cp1251::toDisplayText(tokens[uchar(b)]);
        lengths[b] = int(texts[b].size());
        flags[b] = flagsOf(texts[b]);
    }
    const bool same = std::all_of(lengths.begin(), lengths.end(),
                                  [&](int length) { return length == lengths[0]; });
    uniform = same && leadText.isEmpty() ? lengths[0] : 0;
}

const DisplayTokens *DisplayTokens::of(views::View view) {
    const views::Tokens *tokens = views::tokensOf(view);
    if (!tokens)
        return nullptr;
    // Eight views at most, each made once and kept for the program's life.
    static std::vector<std::unique_ptr<DisplayTokens>> made;
    for (const auto &shown : made) {
        if (shown->shownView == view)
            return shown.get();
    }
    made.push_back(std::unique_ptr<DisplayTokens>(new DisplayTokens(view, *tokens)));
    return made.back().get();
}

// Segments ---------------------------------------------------------------

const PieceTable &PaneContent::Segment::bytes() const {
    return document ? document->bytes() : snapshot;
}

qint64 PaneContent::Segment::byteCount() const {
    return std::clamp<qint64>(bytes().size() - offset, 0, length);
}

PaneContent::PaneContent() = default;
PaneContent::~PaneContent() = default;

void PaneContent::clear() {
    segments.clear();
    shownBytes = {};
    recount();
    forgetBlocksFrom(0);
}

void PaneContent::append(views::View view, const PieceTable &bytes, qint64 documentOffset) {
    const DisplayTokens *shown = DisplayTokens::of(view);
    if (!shown)
        return;
    // What a followed range shows now stays, as a snapshot before the
    // appended bytes.
    freeze();
    Segment segment;
    segment.tokens = shown;
    segment.snapshot = bytes;
    segment.length = bytes.size();
    segment.documentOffset = documentOffset;
    segments.push_back(std::move(segment));
    recount();
}

void PaneContent::follow(views::View view, const ByteDocument *document, qint64 offset,
                         qint64 length) {
    segments.clear();
    shownBytes = {};
    if (const DisplayTokens *shown = DisplayTokens::of(view); shown && document) {
        Segment segment;
        segment.tokens = shown;
        segment.document = document;
        segment.offset = qMax<qint64>(0, offset);
        segment.length = qMax<qint64>(0, length);
        segment.documentOffset = segment.offset;
        segments.push_back(std::move(segment));
        shownBytes = document->bytes();
    }
    recount();
    forgetBlocksFrom(0);
}

const ByteDocument *PaneContent::followedDocument() const {
    return isLive() ? segments.front().document : nullptr;
}

std::optional<PaneContent::Range> PaneContent::followedRange() const {
    if (!isLive())
        return std::nullopt;
    return Range{segments.front().offset, segments.front().length};
}

bool PaneContent::isBehind() const {
    return isLive() && shownBytes.size() != segments.front().document->size();
}

qint64 PaneContent::documentOffsetOf(qint64 k) const {
    if (!isLive() || k < 0 || k >= tokens)
        return -1;
    const Segment &segment = segments.front();
    const qint64 local = k - (segment.hasLead() ? 1 : 0);
    return local < 0 ? -1 : segment.offset + local;
}

void PaneContent::freeze() {
    if (!isLive())
        return;
    Segment &followed = segments.front();
    followed.snapshot = followed.document->bytes();
    followed.document = nullptr;
    shownBytes = {};
}

// The first and last byte that differ tell which tokens changed; the bytes
// around them need no new rows or places.
PaneContent::TokenChange PaneContent::replaceBytes(const PieceTable &bytes) {
    if (segments.size() != 1 || segments.front().document)
        return {};
    Segment &segment = segments.front();
    const ByteText before = segment.bytes().read(segment.offset, segment.byteCount());
    const ByteText after = bytes.read(0, bytes.size());
    const auto [head, tail] = byteedit::sharedEnds(before, after);
    const PieceTable old(before);
    segment.snapshot = bytes;
    segment.offset = 0;
    segment.length = bytes.size();
    recount();
    const qint64 lead = segment.hasLead() ? 1 : 0;
    TokenChange change{lead + head, before.size() - head - tail, after.size() - head - tail};
    change.removedChars = charsOf(old, head, change.removed, *segment.tokens);
    change.addedChars = charsOf(bytes, head, change.added, *segment.tokens);
    countChange(change);
    return change;
}

std::optional<PaneContent::TokenChange> PaneContent::documentChanged(qint64 offset, qint64 removed,
                                                                     qint64 added) {
    if (!isLive())
        return std::nullopt;
    const Segment &segment = segments.front();
    const PieceTable before = std::exchange(shownBytes, segment.document->bytes());
    const qint64 countBefore = tokens;
    recount();
    const qint64 lead = segment.hasLead() ? 1 : 0;
    const qint64 rangeEnd = segment.offset + segment.byteCount();
    // Bytes of the range: [from, from + removedBytes) of before became
    // [from, from + addedBytes) of now.
    qint64 from = 0;
    qint64 removedBytes = 0;
    qint64 addedBytes = 0;
    if (removed == added) {
        // In place: only the overlap with the range changed.
        from = qMax(offset, segment.offset);
        removedBytes = addedBytes = qMin(offset + removed, rangeEnd) - from;
        if (addedBytes <= 0)
            return std::nullopt;
    } else if (segment.length == PieceTable::toEnd && offset >= segment.offset) {
        // The range runs to the document's end and moves with its bytes.
        from = offset;
        removedBytes = removed;
        addedBytes = added;
    } else {
        // A range of fixed offsets: its bytes from the change on shifted.
        from = qMax(offset, segment.offset);
        removedBytes = qMax<qint64>(0, countBefore - lead - (from - segment.offset));
        addedBytes = qMax<qint64>(0, rangeEnd - from);
        if (removedBytes == 0 && addedBytes == 0)
            return std::nullopt;
    }
    TokenChange change{lead + from - segment.offset, removedBytes, addedBytes};
    change.removedChars = charsOf(before, from, removedBytes, *segment.tokens);
    change.addedChars = charsOf(segment.bytes(), from, addedBytes, *segment.tokens);
    countChange(change);
    return change;
}

qint64 PaneContent::charsOf(const PieceTable &bytes, qint64 offset, qint64 count,
                            const DisplayTokens &shown) {
    qint64 chars = 0;
    bytes.forEachChunk(offset, count, [&](QByteArrayView chunk) {
        for (const char c : chunk)
            chars += shown.length(uchar(c));
    });
    return chars;
}

// A change inside one block shifts the blocks after it; any other is
// counted anew from its first token when next asked.
void PaneContent::countChange(const TokenChange &change) {
    const qint64 block = change.first / blockTokens;
    const bool inOneBlock =
        change.removed == change.added &&
        (change.removed == 0 || (change.first + change.removed - 1) / blockTokens == block);
    if (!inOneBlock) {
        forgetBlocksFrom(change.first);
        return;
    }
    for (auto b = std::size_t(block + 1); b < blockStarts.size(); ++b)
        blockStarts[b] += change.addedChars - change.removedChars;
}

void PaneContent::recount() {
    tokens = 0;
    for (Segment &segment : segments) {
        segment.firstToken = tokens;
        tokens += segment.tokenCount();
    }
}

PaneContent::Source PaneContent::source() const {
    if (segments.empty())
        return {};
    const Segment &first = segments.front();
    Source shown{first.documentOffset, 0, first.tokens->view()};
    for (const Segment &segment : segments) {
        // Appended pieces count as one range while each continues the last.
        if (segment.tokens != first.tokens || segment.documentOffset < 0 ||
            segment.documentOffset != shown.offset + shown.length)
            return {};
        if (&segment != &first && segment.hasLead())
            return {};
        shown.length += segment.byteCount();
    }
    return shown;
}

const DisplayTokens *PaneContent::tokensShown() const {
    if (segments.empty())
        return nullptr;
    for (const Segment &segment : segments) {
        if (segment.tokens != segments.front().tokens)
            return nullptr;
    }
    return segments.front().tokens;
}

// Tokens -----------------------------------------------------------------

qint64 PaneContent::tokenCount() const {
    return tokens;
}

std::size_t PaneContent::segmentOf(qint64 k) const {
    const auto it = std::upper_bound(
        segments.begin(), segments.end(), k,
        [](qint64 token, const Segment &segment) { return token < segment.firstToken; });
    return it == segments.begin() ? 0 : std::size_t(it - segments.begin() - 1);
}

int PaneContent::byteOf(qint64 k) const {
    if (k < 0 || k >= tokens)
        return -1;
    const Segment &segment = segments[segmentOf(k)];
    qint64 local = k - segment.firstToken;
    if (segment.hasLead()) {
        if (local == 0)
            return -1;
        --local;
    }
    return segment.bytes().at(segment.offset + local);
}

QStringView PaneContent::tokenText(qint64 k) const {
    if (k < 0 || k >= tokens)
        return {};
    const int byte = byteOf(k);
    const DisplayTokens &shown = *segments[segmentOf(k)].tokens;
    return byte < 0 ? shown.lead() : shown.token(uchar(byte));
}

// Places -----------------------------------------------------------------

TokenPlace PaneContent::normalized(TokenPlace place) const {
    if (place.token < 0)
        return {};
    place.offset = qMax(0, place.offset);
    while (place.token < tokens) {
        const int length = tokenLength(place.token);
        if (place.offset < length)
            return place;
        place.offset -= length;
        ++place.token;
    }
    return end();
}

TokenPlace PaneContent::moved(TokenPlace place, qint64 chars) const {
    if (qAbs(chars) > 64)
        return placeOf(charOf(place) + chars);
    place = normalized(place);
    while (chars > 0 && place != end()) {
        const int step = int(qMin<qint64>(chars, tokenLength(place.token) - place.offset));
        place = normalized({place.token, place.offset + step});
        chars -= step;
    }
    while (chars < 0 && place != TokenPlace{}) {
        if (place.offset == 0) {
            --place.token;
            place.offset = tokenLength(place.token);
        }
        const int step = int(qMin<qint64>(-chars, place.offset));
        place.offset -= step;
        chars += step;
    }
    return normalized(place);
}

// Characters -------------------------------------------------------------

int PaneContent::uniformLength() const {
    const DisplayTokens *shown = tokensShown();
    return shown ? shown->uniformLength() : 0;
}

void PaneContent::forgetBlocksFrom(qint64 token) {
    // Block b starts after the tokens before b * blockTokens: those up to
    // the changed token's block keep their count.
    const auto keep = std::size_t(qMax<qint64>(1, token / blockTokens + 1));
    if (blockStarts.size() > keep)
        blockStarts.resize(keep);
    if (blockStarts.empty())
        blockStarts.push_back(0);
}

qint64 PaneContent::blockStart(qint64 b) const {
    if (const int length = uniformLength())
        return b * blockTokens * length;
    while (qint64(blockStarts.size()) <= b) {
        const qint64 from = qint64(blockStarts.size() - 1) * blockTokens;
        qint64 chars = blockStarts.back();
        forEachToken(from, from + blockTokens, [&](qint64, const DisplayTokens &shown, int byte) {
            chars += byte < 0 ? shown.lead().size() : shown.length(uchar(byte));
        });
        blockStarts.push_back(chars);
    }
    return blockStarts[std::size_t(b)];
}

qint64 PaneContent::charOf(TokenPlace place) const {
    place = normalized(place);
    if (const int length = uniformLength())
        return place.token * length + place.offset;
    const qint64 b = place.token / blockTokens;
    qint64 chars = blockStart(b);
    forEachToken(b * blockTokens, place.token, [&](qint64, const DisplayTokens &shown, int byte) {
        chars += byte < 0 ? shown.lead().size() : shown.length(uchar(byte));
    });
    return chars + place.offset;
}

qint64 PaneContent::charCount() const {
    return charOf(end());
}

TokenPlace PaneContent::placeOf(qint64 character) const {
    if (character <= 0 || tokens == 0)
        return {};
    if (const int length = uniformLength())
        return normalized({character / length, int(character % length)});
    // The last block that starts at or before the character, counting
    // blocks only as far as needed.
    const qint64 lastBlock = tokens / blockTokens;
    while (qint64(blockStarts.size()) <= lastBlock && blockStarts.back() <= character)
        blockStart(qint64(blockStarts.size()));
    const auto known = blockStarts.begin() +
                       std::ptrdiff_t(qMin<qint64>(qint64(blockStarts.size()), lastBlock + 1));
    const qint64 b =
        (std::upper_bound(blockStarts.begin(), known, character) - blockStarts.begin()) - 1;
    qint64 chars = blockStarts[std::size_t(b)];
    TokenPlace place = end();
    forEachToken(b * blockTokens, tokens, [&](qint64 k, const DisplayTokens &shown, int byte) {
        const qint64 length = byte < 0 ? shown.lead().size() : shown.length(uchar(byte));
        if (chars + length > character) {
            place = {k, int(character - chars)};
            return false;
        }
        chars += length;
        return true;
    });
    return place;
}

QString PaneContent::text(TokenPlace from, TokenPlace to) const {
    from = normalized(from);
    to = normalized(to);
    QString out;
    if (!(from < to))
        return out;
    const qint64 last = to.offset > 0 ? to.token + 1 : to.token;
    forEachToken(from.token, last, [&](qint64 k, const DisplayTokens &shown, int byte) {
        QStringView token = byte < 0 ? shown.lead() : shown.token(uchar(byte));
        if (k == to.token)
            token = token.first(to.offset);
        if (k == from.token)
            token = token.sliced(from.offset);
        out += token;
    });
    return out;
}
