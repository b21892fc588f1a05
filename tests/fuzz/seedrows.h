#pragma once

#include <QTest>

namespace fuzzscratch {

// The seeds of a seeded random test, one row each: the same inputs on every
// run, a failing one named by its row.
inline void addSeedRows() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

} // namespace fuzzscratch
