#include "checksumjob.h"

#include <algorithm>

namespace {

// A cancel waits for the slice in progress, and each slice tells its
// progress: 1 MiB is about 3 ms of all ten sums.
constexpr qint64 sliceBytes = 1024 * 1024;

} // namespace

ChecksumJob::ChecksumJob(ByteSnapshot snapshot, qint64 offset, qint64 length, QObject *parent)
    : QObject(parent), table(std::move(snapshot)),
      start(std::clamp<qint64>(offset, 0, table.size())),
      total(std::clamp<qint64>(length, 0, table.size() - start)) {
    worker = std::thread([this] { run(); });
}

ChecksumJob::~ChecksumJob() {
    // While this runs the object is whole, so the worker may still post to
    // it; what it posted is dropped with the object.
    cancelled = true;
    worker.join();
}

void ChecksumJob::run() {
    checksums::Accumulator accumulator;
    for (qint64 done = 0; done < total;) {
        if (cancelled)
            return;
        const qint64 slice = std::min(sliceBytes, total - done);
        table.forEachChunk(start + done, slice, [&](QByteArrayView run) { accumulator.add(run); });
        done += slice;
        QMetaObject::invokeMethod(
            this, [this, done] { emit progress(done, total); }, Qt::QueuedConnection);
    }
    if (cancelled)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, results = accumulator.results()]() mutable {
            computed = std::move(results);
            emit finished();
        },
        Qt::QueuedConnection);
}
