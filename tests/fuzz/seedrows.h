#pragma once

#include "scratch.h"

#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace fuzzscratch {

// The seeds of a seeded random test, one row each: the same inputs on every
// run, a failing one named by its row.
inline void addSeedRows() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

// Rounds of a seeded random test, all drawing from one generator seeded from
// the row and writing into one scratch folder named after the suite; the
// first failure, or nothing when every round passed.
template <typename Round>
QString firstFailure(const QString &suite, quint32 seed, int rounds, Round round) {
    QTemporaryDir scratch(folderTemplate(suite));
    QRandomGenerator random(seed);
    for (int i = 0; i < rounds; ++i) {
        QString failure = round(random, scratch);
        if (!failure.isEmpty())
            return failure;
    }
    return {};
}

} // namespace fuzzscratch
