#include "diffprinter.h"

#include "checks/streamcompare.h"
#include "io/document.h"
#include "printedname.h"

#include <QFile>

namespace diffprinter {
namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

// At least eight digits, more past 4 GiB. Returns the end of what it wrote.
char *writeOffset(char *to, qint64 offset) {
    if (quint64(offset) >> 32 == 0) {
        // Nearly every line's: eight digits, unrolled.
        for (int shift = 28; shift >= 0; shift -= 4)
            *to++ = hexDigits[(quint64(offset) >> shift) & 15];
        return to;
    }
    int digits = 8;
    while (digits < 16 && (quint64(offset) >> (4 * digits)) != 0)
        ++digits;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        *to++ = hexDigits[(quint64(offset) >> shift) & 15];
    return to;
}

char *writeBytes(char *to, const uchar *bytes, int length) {
    for (int i = 0; i < length; ++i) {
        *to++ = hexDigits[bytes[i] >> 4];
        *to++ = hexDigits[bytes[i] & 15];
    }
    return to;
}

// Gathers the parts of each run into lines of up to bytesPerLine bytes and
// writes them out in large writes.
class LineWriter {
public:
    // The buffer keeps its full size; used is what holds lines.
    explicit LineWriter(QIODevice &out) : out(out), buffer(flushSize + longestLine, '\0') {}

    // False once the output failed.
    bool add(qint64 offset, QByteArrayView first, QByteArrayView second) {
        for (qsizetype done = 0; done < first.size();) {
            if (length == bytesPerLine || (length > 0 && offset + done != lineOffset + length))
                endLine();
            if (length == 0)
                lineOffset = offset + done;
            const int taken = int(std::min<qsizetype>(bytesPerLine - length, first.size() - done));
            // Most runs are a byte or two: a loop, not a call.
            for (int i = 0; i < taken; ++i) {
                firstBytes[length + i] = uchar(first[done + i]);
                secondBytes[length + i] = uchar(second[done + i]);
            }
            length += taken;
            done += taken;
        }
        return !failed;
    }

    void addEnd(qint64 offset, const QString &shorterFile) {
        endLine();
        buffer.resize(used);
        const PrintedName name = printedName(shorterFile);
        char digits[16];
        buffer += name.linePrefix;
        buffer.append(digits, writeOffset(digits, offset) - digits);
        buffer += " EOF " + name.name + '\n';
        used = buffer.size();
    }

    bool finish() {
        endLine();
        flush();
        return !failed;
    }

private:
    static constexpr qsizetype flushSize = 64 * 1024;
    static constexpr int longestLine = 16 + 1 + 2 * bytesPerLine + 1 + 2 * bytesPerLine + 1;

    void endLine() {
        if (length == 0)
            return;
        // Straight into the buffer, which has room for a line past a flush's
        // size.
        if (buffer.size() < used + longestLine)
            buffer.resize(used + longestLine);
        char *end = writeOffset(buffer.data() + used, lineOffset);
        *end++ = ' ';
        end = writeBytes(end, firstBytes, length);
        *end++ = ' ';
        end = writeBytes(end, secondBytes, length);
        *end++ = '\n';
        used = end - buffer.data();
        length = 0;
        if (used >= flushSize)
            flush();
    }

    void flush() {
        if (!failed && out.write(buffer.constData(), used) != used)
            failed = true;
        used = 0;
    }

    QIODevice &out;
    QByteArray buffer;
    qsizetype used = 0;
    bool failed = false;
    qint64 lineOffset = 0;
    uchar firstBytes[bytesPerLine] = {};
    uchar secondBytes[bytesPerLine] = {};
    int length = 0;
};

} // namespace

int print(const QStringList &files, QIODevice &out,
          const std::function<void(const QString &)> &complain) {
    if (files.size() != 2) {
        complain(QStringLiteral("--diff сравнивает два файла, а указано %1.").arg(files.size()));
        return 2;
    }
    QFile first;
    QFile second;
    QFile *const opened[] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        if (const auto refused = document::openForReading(files[i], *opened[i])) {
            complain(shownName(files[i]) + QStringLiteral(": ") + *refused);
            return 2;
        }
    }

    LineWriter writer(out);
    bool differ = false;
    const streamcompare::Outcome outcome = streamcompare::compare(
        first, second, [&](qint64 offset, QByteArrayView a, QByteArrayView b) {
            differ = true;
            return writer.add(offset, a, b);
        });
    using Status = streamcompare::Outcome::Status;
    using Ended = streamcompare::Outcome::Ended;
    if (outcome.status == Status::FirstFailed || outcome.status == Status::SecondFailed) {
        writer.finish();
        const QString &path = outcome.status == Status::FirstFailed ? files[0] : files[1];
        complain(shownName(path) + QStringLiteral(": ") + outcome.error);
        return 2;
    }
    if (outcome.status == Status::Compared && outcome.ended != Ended::Both) {
        differ = true;
        writer.addEnd(outcome.compared, outcome.ended == Ended::First ? files[0] : files[1]);
    }
    if (outcome.status == Status::Stopped || !writer.finish()) {
        complain(QStringLiteral("не удалось записать вывод: %1").arg(out.errorString()));
        return 2;
    }
    return differ ? 1 : 0;
}

} // namespace diffprinter
