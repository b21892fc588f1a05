#include "captionbutton.h"

#include <QEvent>

namespace {

// A path may hold '&', which a button would take for a mnemonic.
QString withoutMnemonics(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

CaptionButton::CaptionButton(QWidget *parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setAutoRaise(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CaptionButton::setCaption(const QString &caption) {
    whole = caption;
    setToolTip(caption.trimmed());
    showCaption();
    updateGeometry();
}

int CaptionButton::padding() const {
    return QToolButton::sizeHint().width() -
           fontMetrics().size(Qt::TextShowMnemonic, text()).width();
}

QSize CaptionButton::sizeHint() const {
    QSize hint = QToolButton::sizeHint();
    hint.setWidth(padding() + fontMetrics().horizontalAdvance(whole));
    return hint;
}

QSize CaptionButton::minimumSizeHint() const {
    QSize hint = QToolButton::sizeHint();
    hint.setWidth(padding() + fontMetrics().horizontalAdvance(QChar(0x2026)));
    return hint;
}

void CaptionButton::resizeEvent(QResizeEvent *event) {
    QToolButton::resizeEvent(event);
    showCaption();
}

void CaptionButton::changeEvent(QEvent *event) {
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        showCaption();
}

void CaptionButton::showCaption() {
    const QString shown =
        fontMetrics().elidedText(whole, Qt::ElideMiddle, qMax(0, width() - padding()));
    setText(withoutMnemonics(shown));
}
