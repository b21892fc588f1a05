#include "io/largebytes.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

ByteText uninitializedLargeBytes(qsizetype size) {
    ByteText bytes(size, Qt::Uninitialized);
#ifdef Q_OS_LINUX
    // Only whole huge pages inside the room; a small one gains nothing.
    constexpr quintptr hugePage = 2 * 1024 * 1024;
    const auto start = quintptr(bytes.data());
    const quintptr first = (start + hugePage - 1) & ~(hugePage - 1);
    const quintptr end = (start + quintptr(size)) & ~(hugePage - 1);
    if (end > first)
        ::madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#endif
    return bytes;
}
