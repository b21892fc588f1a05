#include "filecomparison.h"

#include "base/russiancount.h"
#include "carettext.h"
#include "document/bytedocument.h"
#include "document/filesource.h"
#include "io/document.h"
#include "io/nativename.h"

FileComparison::FileComparison(ByteDocument *document, QObject *parent)
    : QObject(parent), document(document) {
    connect(document, &ByteDocument::changed, this, &FileComparison::documentChanged);
}

FileComparison::~FileComparison() {
    watchFile(false);
}

// Any thread reading the file may find the change; the signal goes out on
// ours, and only for the comparison still in force.
void FileComparison::watchFile(bool watch) {
    const FileSource *file = compared.otherBytes().file();
    if (!file)
        return;
    if (!watch) {
        file->setOnChange(nullptr);
        return;
    }
    file->setOnChange([this, file] {
        QMetaObject::invokeMethod(
            this,
            [this, file] {
                if (active && compared.otherBytes().file() == file)
                    emit fileChangedOnDisk(tr("Файл «%1», с которым сравнивается документ, изменён "
                                              "другой программой; байты, не прочитанные до "
                                              "изменения, сравниваются как нули.")
                                               .arg(nativename::displayed(path)));
            },
            Qt::QueuedConnection);
    });
}

std::optional<QString> FileComparison::compareWith(const QString &filePath, qint64 maxBytes) {
    document::LoadResult loaded = document::load(filePath, maxBytes);
    switch (loaded.status) {
    case document::LoadResult::Status::Loaded:
    case document::LoadResult::Status::Empty:
        break;
    case document::LoadResult::Status::TooLarge:
        return tr("Файл слишком большой для сравнения:\n%1\nРазмер в байтах: %2, можно сравнить "
                  "не более %3.")
            .arg(filePath)
            .arg(loaded.size)
            .arg(maxBytes);
    case document::LoadResult::Status::Failed:
        return tr("Не удалось открыть файл:\n%1\n%2").arg(filePath, loaded.error);
    }
    if (!document)
        return tr("Нет документа для сравнения.");
    // A large file is read on demand, not copied.
    watchFile(false);
    compared = ByteComparison(document->bytes(), loaded.file ? PieceTable(std::move(loaded.file))
                                                             : PieceTable(std::move(loaded.bytes)));
    path = filePath;
    active = true;
    watchFile(true);
    emit changed();
    return std::nullopt;
}

void FileComparison::stop() {
    if (!active)
        return;
    watchFile(false);
    compared = ByteComparison();
    path.clear();
    active = false;
    emit changed();
}

void FileComparison::documentChanged(qint64 offset, qint64 removed, qint64 added) {
    if (!active || !document)
        return;
    compared.documentChanged(document->bytes(), offset, removed, added);
    emit changed();
}

QString FileComparison::summary() const {
    if (!active)
        return {};
    if (compared.isEqual())
        return tr("Файл совпадает с документом");
    const qint64 documentSize = compared.documentSize();
    const qint64 fileSize = compared.otherSize();
    QString text;
    if (compared.comparedLength() == 0) {
        text = documentSize == 0 ? tr("Документ пуст") : tr("Файл пуст");
    } else if (const qint64 count = compared.differingCount(); count == 0) {
        text = tr("Первые %1 совпадают").arg(carettext::bytes(compared.comparedLength()));
    } else {
        const QString first = carettext::offset(*compared.nextDifference(0), documentSize);
        // One, 21, 31... take the verb in the singular.
        const bool singular = russiancount::formOf(count) == russiancount::Form::One;
        if (count == 1)
            text = tr("Различается 1 байт — %1").arg(first);
        else
            text =
                (singular ? tr("Различается %1, первый — %2") : tr("Различаются %1, первый — %2"))
                    .arg(carettext::bytes(count), first);
    }
    if (fileSize > documentSize)
        text += tr("; файл длиннее документа на %1").arg(carettext::bytes(fileSize - documentSize));
    else if (fileSize < documentSize)
        text += tr("; файл короче документа на %1").arg(carettext::bytes(documentSize - fileSize));
    return text;
}

FileComparison::Run FileComparison::runHolding(qint64 offset, bool wrapped) const {
    const qint64 start = compared.runStart(offset + 1);
    return {start, compared.runEnd(offset) - start, wrapped};
}

std::optional<FileComparison::Run> FileComparison::nextRun(qint64 from) const {
    if (!active)
        return std::nullopt;
    if (const auto next = compared.nextDifference(from))
        return runHolding(*next, false);
    if (const auto first = compared.nextDifference(0))
        return runHolding(*first, true);
    return std::nullopt;
}

std::optional<FileComparison::Run> FileComparison::previousRun(qint64 before) const {
    if (!active)
        return std::nullopt;
    if (const auto previous = compared.previousDifference(before))
        return runHolding(*previous, false);
    if (const auto last = compared.previousDifference(compared.comparedLength()))
        return runHolding(*last, true);
    return std::nullopt;
}
