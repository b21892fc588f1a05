#pragma once

#include "checks/clichecheck.h"

#include <QColor>
#include <QString>

#include <array>

// The colours the cliche check window marks findings with, one per kind:
// the receipt preview paints the characters and lines they concern, the
// legend shows each under its caption, the list beside each finding.
namespace findingcolours {

struct Marking {
    QColor background; // invalid for a kind that nothing marks
    QColor ink;        // of the marked characters; invalid where they keep the paper's ink
    QString caption;   // the legend's words for it

    bool isMarked() const { return background.isValid(); }
};

// A lone CR or LF inside a line will not print and is marked as such; the
// text over 10K has no marking, the summary and the list tell it.
const Marking &of(cliche::FindingKind kind);

// The kinds the legend shows, in its order.
inline constexpr std::array<cliche::FindingKind, 4> legend = {
    cliche::FindingKind::LineTooWide, cliche::FindingKind::Unprintable,
    cliche::FindingKind::SmallLetter, cliche::FindingKind::TooManyLines};

} // namespace findingcolours
