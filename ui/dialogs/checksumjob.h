#pragma once

#include "checks/checksums.h"
#include "document/piecetable.h"
#include "document/bytesnapshot.h"

#include <QObject>

#include <atomic>
#include <thread>
#include <vector>

// The ten checksums of a range of a document, computed on a thread of its
// own so that the window stays responsive (all ten take about 0.2 s for
// 64 MiB). The thread reads only its own copy of the piece table: the bytes
// a table's pieces point to are never written again nor freed while a copy
// holds them, and later edits of the document change its own table, not the
// copy, so the document may be edited, undone or replaced meanwhile.
class ChecksumJob : public QObject {
    Q_OBJECT

public:
    // Starts at once. The snapshot is copied on the caller's thread, the
    // one the document lives on.
    ChecksumJob(ByteSnapshot snapshot, qint64 offset, qint64 length, QObject *parent = nullptr);
    // Stops the thread after the slice it is in (a few milliseconds) and
    // waits for it, so nothing outlives the job.
    ~ChecksumJob() override;

    qint64 length() const { return total; }
    // Empty until finished.
    const std::vector<checksums::Result> &results() const { return computed; }

signals:
    // Bytes summed so far, after each slice.
    void progress(qint64 done, qint64 total);
    void finished();

private:
    void run();

    const ByteSnapshot table;
    const qint64 start;
    const qint64 total;
    std::atomic<bool> cancelled{false};
    // Set on this object's thread, from the results the worker posts.
    std::vector<checksums::Result> computed;
    std::thread worker;
};
