#include "findingcolours.h"

namespace findingcolours {

const Marking &of(cliche::FindingKind kind) {
    static const Marking beyondEdge{QColor(255, 190, 190), QColor(),
                                    QStringLiteral("за краем ленты")};
    static const Marking unprintable{QColor(255, 222, 120), QColor(190, 0, 0),
                                     QStringLiteral("не печатается")};
    static const Marking smallLetter{QColor(205, 222, 255), QColor(0, 60, 200),
                                     QStringLiteral("строчная буква")};
    static const Marking extraLine{QColor(232, 212, 255), QColor(),
                                   QStringLiteral("лишняя строка")};
    static const Marking none;
    switch (kind) {
    case cliche::FindingKind::LineTooWide:
        return beyondEdge;
    case cliche::FindingKind::Unprintable:
    case cliche::FindingKind::LoneLineBreak:
        return unprintable;
    case cliche::FindingKind::SmallLetter:
        return smallLetter;
    case cliche::FindingKind::TooManyLines:
        return extraLine;
    case cliche::FindingKind::TextTooLong:
        break;
    }
    return none;
}

} // namespace findingcolours
