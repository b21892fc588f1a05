// How the input pane keeps its blocks short: cutting loaded and inserted text
// at row starts, the bookkeeping that turns positions into byte offsets, and
// the repairs after an edit.

#include "bytepane.h"

#include "cp1251codec.h"
#include "rowpredictor.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

namespace {

constexpr QChar separator(QChar::ParagraphSeparator);
constexpr QChar softHyphen(0x00AD);

// Where pane text (line breaks as line separators) is cut into blocks: before
// text[at] by a soft break, or at the line break text[at], which becomes the
// separator of two blocks.
struct Cut {
    qsizetype at;
    bool soft;
};

// A block ends at the first row end past chunk characters that is a line
// end, or a little later at a row end; rows counts the rows of each block.
std::vector<Cut> planCuts(QStringView text, const RowPredictor &predictor, int chunk,
                          std::vector<int> *rows = nullptr) {
    std::vector<Cut> cuts;
    const qsizetype n = text.size();
    qsizetype blockStart = 0;
    int blockRows = 0;
    for (qsizetype at = 0; at < n;) {
        const qsizetype end = predictor.rowEnd(text, at);
        ++blockRows;
        const qsizetype length = end - blockStart;
        const bool lineEnd = text[end - 1] == cp1251::lineBreak;
        // A block that ends in a soft hyphen would show the hyphen.
        const bool hyphen = text[end - 1] == softHyphen;
        if (end < n && length >= chunk && (lineEnd || (length >= chunk + chunk / 4 && !hyphen))) {
            cuts.push_back({lineEnd ? end - 1 : end, !lineEnd});
            if (rows)
                rows->push_back(blockRows);
            blockStart = end;
            blockRows = 0;
        }
        at = end;
    }
    if (rows) {
        if (blockStart == n || text.back() == cp1251::lineBreak)
            ++blockRows;
        rows->push_back(std::max(blockRows, 1));
    }
    return cuts;
}

QTextCharFormat withSoftBreak(QTextCharFormat format, bool soft) {
    if (soft)
        format.setProperty(BytePane::softBreakProperty, true);
    else
        format.clearProperty(BytePane::softBreakProperty);
    return format;
}

// Qt takes a QString; a view of a long text goes in without a copy.
void insertPiece(QTextCursor &cursor, QStringView piece, const QTextCharFormat &format) {
    cursor.insertText(QString::fromRawData(piece.data(), piece.size()), format);
}

int extraOf(bool soft, int lineBreaks, int blockNumber) {
    const int separator = blockNumber == 0 ? 0 : soft ? -1 : cp1251::lineBreakBytes - 1;
    return (cp1251::lineBreakBytes - 1) * lineBreaks + separator;
}

} // namespace

qreal BytePane::textWidth() const {
    return viewport()->width() - 2 * document()->documentMargin();
}

// Made again only when the font or the width changed.
const RowPredictor &BytePane::predictor() const {
    if (!rowPredictor || rowPredictor->font() != font() || rowPredictor->width() != textWidth())
        rowPredictor = std::make_unique<RowPredictor>(font(), textWidth());
    return *rowPredictor;
}

void BytePane::setBytes(const ByteText &bytes) {
    QString text = cp1251::toPaneText(bytes);
    std::vector<int> rows;
    const std::vector<Cut> cuts = planCuts(text, predictor(), chunkLength, &rows);

    // The blocks as they will be, so the change needs no scan.
    std::vector<Block> planned;
    planned.reserve(rows.size());
    qsizetype from = 0;
    bool soft = false;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const qsizetype to = i < cuts.size() ? cuts[i].at : text.size();
        const auto piece = QStringView(text).mid(from, to - from);
        planned.push_back({soft, int(std::count(piece.begin(), piece.end(), cp1251::lineBreak))});
        if (i < cuts.size()) {
            soft = cuts[i].soft;
            from = soft ? to : to + 1;
            if (!soft)
                text[to] = separator;
        }
    }

    // Like opening a file, loading leaves nothing to undo; the loaded text
    // takes the character format of the insertion point, as Qt's own
    // setPlainText does.
    const QTextCharFormat format = withSoftBreak(textCursor().charFormat(), false);
    const QTextCharFormat softFormat = withSoftBreak(format, true);
    QTextDocument *doc = document();
    doc->setUndoRedoEnabled(false);
    loadRows = std::move(rows);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    from = 0;
    for (const Cut &cut : cuts) {
        if (!cut.soft)
            continue;
        insertPiece(cursor, QStringView(text).mid(from, cut.at - from), format);
        cursor.insertBlock(QTextBlockFormat(), softFormat);
        from = cut.at;
    }
    insertPiece(cursor, QStringView(text).mid(from), format);
    blocks = std::move(planned);
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    if (!loadRows.empty()) {
        // Nothing changed (empty into empty): no change signal came.
        loadRows.clear();
        rescanAll();
    }

    byteCache = bytes;
    byteCacheValid = true;
    dirtyFirst = dirtyLast = -1;
    setTextCursor(QTextCursor(doc));
}

void BytePane::insertPaneText(QTextCursor &cursor, QStringView text) {
    const QTextCharFormat format = withSoftBreak(cursor.charFormat(), false);
    if (text.size() <= chunkLength) {
        insertPiece(cursor, text, format);
        return;
    }
    // Long text goes in already cut, so Qt never lays out a huge block.
    cursor.removeSelectedText();
    qsizetype from = 0;
    for (const Cut &cut : planCuts(text, predictor(), chunkLength)) {
        insertPiece(cursor, text.mid(from, cut.at - from), format);
        cursor.insertBlock(QTextBlockFormat(), withSoftBreak(format, cut.soft));
        from = cut.soft ? cut.at : cut.at + 1;
    }
    insertPiece(cursor, text.mid(from), format);
}

bool BytePane::isSoft(const QTextBlock &block) const {
    const int number = block.blockNumber();
    return number > 0 && number < int(blocks.size()) && blocks[number].soft;
}

BytePane::Block BytePane::scanBlock(const QTextBlock &block) const {
    Block info;
    info.soft = block.blockNumber() > 0 && block.charFormat().boolProperty(softBreakProperty);
    const QString text = block.text();
    info.lineBreaks = int(std::count(text.begin(), text.end(), cp1251::lineBreak));
    return info;
}

void BytePane::rescanAll() {
    blocks.clear();
    totalExtra = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        blocks.push_back(scanBlock(block));
        totalExtra += extraOf(blocks.back().soft, blocks.back().lineBreaks, block.blockNumber());
    }
    prefix.assign(blocks.size(), 0);
    prefixValid = 1;
}

// Called before Qt's layout sees the change, so that row counts set here
// stand until a block is laid out for real.
void BytePane::contentsChanged(int position, int removed, int added) {
    byteCacheValid = false;
    const QTextDocument *doc = document();
    const int count = doc->blockCount();
    if (!loadRows.empty()) {
        // A load: setBytes planned the blocks.
        std::vector<int> rows = std::move(loadRows);
        loadRows.clear();
        if (int(blocks.size()) != count || int(rows.size()) != count) {
            rescanAll();
            return;
        }
        totalExtra = 0;
        for (int b = 0; b < count; ++b)
            totalExtra += extraOf(blocks[b].soft, blocks[b].lineBreaks, b);
        prefix.assign(blocks.size(), 0);
        prefixValid = 1;
        int b = 0;
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
            block.setLineCount(rows[b++]);
        return;
    }

    // Blocks before the one holding position keep their separators; the
    // separators in the changed range are new, the old ones went with the
    // removed text: old blocks first..oldLast became first..last.
    const int first = doc->findBlock(position).blockNumber();
    const int last =
        doc->findBlock(std::min(position + added, doc->characterCount() - 1)).blockNumber();
    const int delta = count - int(blocks.size());
    const int oldLast = last - delta;
    if (first < 0 || last < first || oldLast < first || oldLast >= int(blocks.size())) {
        rescanAll();
        dirtyFirst = 0;
        dirtyLast = count - 1;
        scheduleNormalize();
        return;
    }
    for (int b = first; b <= oldLast; ++b)
        totalExtra -= extraOf(blocks[b].soft, blocks[b].lineBreaks, b);
    std::vector<Block> fresh;
    fresh.reserve(last - first + 1);
    QTextBlock block = doc->findBlockByNumber(first);
    for (int b = first; b <= last; ++b, block = block.next()) {
        fresh.push_back(scanBlock(block));
        totalExtra += extraOf(fresh.back().soft, fresh.back().lineBreaks, b);
    }
    blocks.erase(blocks.begin() + first, blocks.begin() + oldLast + 1);
    blocks.insert(blocks.begin() + first, fresh.begin(), fresh.end());
    prefix.resize(blocks.size());
    prefixValid = std::min(prefixValid, first + 1);
    // A change of formats only keeps every block's rows.
    if (delta != 0 || (last > first && removed != added))
        presetRows(first, last);

    const auto shifted = [&](int b) { return b > oldLast ? b + delta : std::min(b, last); };
    if (dirtyFirst < 0) {
        dirtyFirst = first;
        dirtyLast = last;
    } else {
        dirtyFirst = std::min(shifted(dirtyFirst), first);
        dirtyLast = std::max(shifted(dirtyLast), last);
    }
    scheduleNormalize();
}

void BytePane::presetRows(int first, int last) {
    const RowPredictor &rows = predictor();
    QTextBlock block = document()->findBlockByNumber(first);
    for (int b = first; b <= last && block.isValid(); ++b, block = block.next())
        block.setLineCount(rows.rowCount(block.text()));
}

qsizetype BytePane::startExtra(int blockNumber) const {
    for (int b = prefixValid; b <= blockNumber; ++b)
        prefix[b] = prefix[b - 1] + (cp1251::lineBreakBytes - 1) * blocks[b - 1].lineBreaks +
                    extraOf(blocks[b].soft, 0, b);
    prefixValid = std::max(prefixValid, blockNumber + 1);
    return prefix[blockNumber];
}

QString BytePane::textWithoutSoftBreaks(int from, int to) const {
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    // The k-th separator of the range starts the k-th block after the first.
    int block = document()->findBlock(from).blockNumber();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == separator && blocks[++block].soft)
            continue;
        text[kept++] = text[i];
    }
    text.truncate(kept);
    return text;
}

void BytePane::scheduleNormalize() {
    if (normalizeScheduled || normalizing)
        return;
    normalizeScheduled = true;
    QTimer::singleShot(0, this, [this] {
        normalizeScheduled = false;
        normalize();
    });
}

void BytePane::normalize() {
    if (dirtyFirst < 0 || normalizing)
        return;
    const QTextDocument *doc = document();
    const int first = std::max(dirtyFirst - 1, 0);
    const int last = std::min(dirtyLast + 1, doc->blockCount() - 1);
    dirtyFirst = dirtyLast = -1;
    // Undo and redo bring back states that were already whole; a repair now
    // would join the step before them. (availableRedoSteps() is 0 in Qt 6.4
    // even then.)
    if (doc->isRedoAvailable())
        return;
    normalizing = true;
    QTextCursor cursor(document());
    bool editing = false;
    for (int b = last; b >= first; --b)
        normalizeBlock(cursor, b, editing);
    if (editing)
        cursor.endEditBlock();
    normalizing = false;
}

// Repairs block b and the soft break before it, joining the repair to the
// last edit; the document is read directly, the bookkeeping catches up when
// the edit block ends.
void BytePane::normalizeBlock(QTextCursor &cursor, int blockNumber, bool &editing) {
    QTextDocument *doc = document();
    const QTextBlock block = doc->findBlockByNumber(blockNumber);
    const auto edit = [&] {
        if (!editing)
            cursor.joinPreviousEditBlock();
        editing = true;
    };
    const int start = block.position();
    const bool soft = blockNumber > 0 && block.charFormat().boolProperty(softBreakProperty);
    if (soft) {
        // An empty block beside a soft break would show as an empty row, a
        // line break beside one as an empty row too: merge, or let the line
        // break be the separator.
        const QTextBlock previous = block.previous();
        int from = -1;
        int to = -1;
        bool hard = false;
        if (block.length() == 1 || previous.length() == 1) {
            from = start - 1;
            to = start;
        } else if (doc->characterAt(start - 2) == cp1251::lineBreak) {
            from = start - 2;
            to = start;
            hard = true;
        } else if (doc->characterAt(start) == cp1251::lineBreak) {
            from = start - 1;
            to = start + 1;
            hard = true;
        }
        if (from >= 0) {
            edit();
            cursor.setPosition(from);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            const QTextCharFormat format = withSoftBreak(cursor.charFormat(), false);
            cursor.removeSelectedText();
            if (hard)
                cursor.insertBlock(QTextBlockFormat(), format);
            return;
        }
    }
    if (block.length() - 1 > 2 * chunkLength) {
        edit();
        splitBlock(cursor, block);
    }
}

void BytePane::splitBlock(QTextCursor &cursor, const QTextBlock &block) {
    const QString text = block.text();
    const std::vector<Cut> cuts = planCuts(text, predictor(), chunkLength);
    // From the end, so the positions before each cut stay put.
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        const int at = block.position() + int(cut->at);
        cursor.setPosition(at);
        const QTextCharFormat format = withSoftBreak(cursor.charFormat(), cut->soft);
        if (!cut->soft) {
            cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        }
        cursor.insertBlock(QTextBlockFormat(), format);
    }
}
