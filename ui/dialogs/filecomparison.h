#pragma once

#include "checks/bytecomparison.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class ByteDocument;

// "Сравнить с файлом…": the document against a file's bytes, kept up with
// every edit of the document. The panes ask differs() for each byte they
// paint; the window shows summary() and steps through the differences one
// run of differing bytes at a time.
class FileComparison : public QObject {
    Q_OBJECT

public:
    explicit FileComparison(ByteDocument *document, QObject *parent = nullptr);
    ~FileComparison() override;

    // The keys of the next and the previous difference, as in the diff
    // tools engineers know (Meld, WinMerge): free in the window, its panes
    // and the text keys of every desktop but the Mac's.
    static QKeySequence nextDifferenceKey() { return QKeySequence(Qt::ALT | Qt::Key_Down); }
    static QKeySequence previousDifferenceKey() { return QKeySequence(Qt::ALT | Qt::Key_Up); }

    // Reads the file, at most maxBytes of it, and compares the document with
    // it; an empty file compares too. Returns why it could not, in Russian,
    // and then keeps the comparison in force as it was.
    std::optional<QString> compareWith(const QString &path, qint64 maxBytes);
    // Ends the comparison: no byte differs any more.
    void stop();

    bool isActive() const { return active; }
    QString filePath() const { return path; }
    const ByteComparison &comparison() const { return compared; }

    // Whether the document's byte at offset differs from the file's, at the
    // cost of a bit test; false without a comparison.
    bool differs(qint64 offset) const { return active && compared.differs(offset); }

    // "Различаются 12 байт, первый — 0x0040 (64); файл длиннее документа на
    // 3 байта"; empty without a comparison.
    QString summary() const;

    struct Run {
        qint64 offset = 0;
        qint64 length = 0;
        // Found only by going round from the other end of the document.
        bool wrapped = false;
    };
    // The run of differing bytes that holds the first difference at or after
    // from, or else the first run of all; whole runs, so that a selected run
    // leads on to the next one.
    std::optional<Run> nextRun(qint64 from) const;
    // The run that holds the last difference before before, or else the last
    // run of all.
    std::optional<Run> previousRun(qint64 before) const;

signals:
    // Which bytes differ may have changed: after a comparison, an edit of
    // the document, or stop().
    void changed();
    // The compared file, read on demand, was changed, truncated, replaced or
    // taken away by another program: its bytes not read before compare as 0.
    // Told once per comparison.
    void fileChangedOnDisk(const QString &message);

private:
    void documentChanged(qint64 offset, qint64 removed, qint64 added);
    Run runHolding(qint64 offset, bool wrapped) const;
    void watchFile(bool watch);

    QPointer<ByteDocument> document;
    ByteComparison compared;
    QString path;
    bool active = false;
};
