#include "panenotice.h"

#include "base/sizebounds.h"

#include <QAbstractScrollArea>
#include <QEvent>

namespace {

constexpr int shownForMs = 8000;

PaneNotice *noticeOf(QAbstractScrollArea *pane) {
    return pane->findChild<PaneNotice *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

PaneNotice::PaneNotice(QAbstractScrollArea *documentPane)
    : QLabel(documentPane), pane(documentPane) {
    setObjectName(QStringLiteral("lblNotice"));
    setWordWrap(true);
    setMargin(4);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    expiry.setSingleShot(true);
    expiry.setInterval(shownForMs);
    connect(&expiry, &QTimer::timeout, this, &QWidget::hide);
    pane->installEventFilter(this);
}

void PaneNotice::say(QAbstractScrollArea *pane, const QString &text) {
    PaneNotice *notice = noticeOf(pane);
    if (!notice)
        notice = new PaneNotice(pane);
    notice->setText(text);
    notice->place();
    notice->show();
    notice->raise();
    notice->expiry.start();
}

void PaneNotice::dismiss(QAbstractScrollArea *pane) {
    if (PaneNotice *notice = noticeOf(pane))
        notice->hide();
}

// Across the foot of the pane's text area, above its scroll bar.
void PaneNotice::place() {
    const QRect area = pane->viewport()->geometry();
    const int width = area.width() - 8;
    const int height = heightForWidth(width);
    setGeometry(area.left() + 4, area.bottom() - height - 3, width, height);
}

void PaneNotice::mousePressEvent(QMouseEvent *) {
    hide();
}

bool PaneNotice::eventFilter(QObject *watched, QEvent *event) {
    if (watched == pane && event->type() == QEvent::Resize && isVisible())
        place();
    return QLabel::eventFilter(watched, event);
}

bool fitsClipboard(QAbstractScrollArea *pane, qint64 size) {
    if (size <= sizebounds::copiedAtMost)
        return true;
    PaneNotice::say(pane,
                    QObject::tr("Скопировать можно не более %1 МБ за раз: выделите часть поменьше")
                        .arg(sizebounds::inMebibytes(sizebounds::copiedAtMost)));
    return false;
}
