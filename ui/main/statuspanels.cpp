#include "statuspanels.h"

#include "objectnames.h"

#include <QEvent>
#include <QLabel>
#include <QSizeGrip>
#include <QStatusBar>

namespace {

constexpr int gap = 2;

} // namespace

StatusPanels::StatusPanels(QStatusBar *bar, const std::array<int, 8> &minimumWidths)
    : QObject(bar), bar(bar), minimumWidths(minimumWidths), minimumHeight(bar->minimumHeight()) {
    for (int i = 0; i < 8; ++i) {
        auto *label = new QLabel(bar);
        label->setObjectName(QLatin1String(objectnames::statusPanelPrefix) +
                             QString::number(i + 1));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        labels[i] = label;
    }
    // Placed by hand, outside the bar's own layout, so that the panels give
    // way in the order above and not all at once. The size grip in the
    // corner is the bar's: the panels end where it begins.
    bar->installEventFilter(this);
    grip = bar->findChild<QSizeGrip *>();
    if (grip)
        grip->installEventFilter(this);
    layOut();
}

QString StatusPanels::text(int panel) const {
    return texts.at(panel - 1);
}

void StatusPanels::setText(int panel, const QString &text) {
    if (texts.at(panel - 1) == text)
        return;
    texts[panel - 1] = text;
    labels[panel - 1]->setText(text);
    layOut();
}

bool StatusPanels::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::FontChange:
        if (watched == bar || watched == grip)
            layOut();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void StatusPanels::layOut() {
    // The bar is as high as designed or as a panel's text needs.
    bar->setMinimumHeight(qMax(minimumHeight, labels[0]->sizeHint().height() + 2 * gap));
    const int right = bar->width() - (grip && grip->isVisibleTo(bar) ? grip->width() : 0);
    const int height = bar->height() - 2 * gap;
    int x = 0;
    auto place = [&](int i, int width) {
        width = qMax(0, width);
        labels[i]->setGeometry(x, gap, width, height);
        x += width + gap;
    };

    for (int i = 0; i < 6; ++i)
        place(i, qMax(minimumWidths[i], labels[i]->sizeHint().width()));

    // Panel 8 with its whole text (the caret's place, which changes), panel 7
    // with its whole text too or as much of it as the room left leaves.
    const int eighth = texts[7].isEmpty() ? 0 : labels[7]->sizeHint().width() + gap;
    QLabel *seventh = labels[6];
    seventh->setText(texts[6]);
    const int whole = seventh->sizeHint().width();
    const int room = right - x - eighth;
    if (whole > room) {
        const int padding = whole - seventh->fontMetrics().horizontalAdvance(texts[6]);
        seventh->setText(
            seventh->fontMetrics().elidedText(texts[6], Qt::ElideRight, qMax(0, room - padding)));
    }
    seventh->setToolTip(whole > room ? texts[6] : QString());
    place(6, qMin(whole, room));
    place(7, right - x);
}
