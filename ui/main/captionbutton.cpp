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

// Measured the way the button measures its text.
int CaptionButton::textWidth(const QString &caption) const {
    return fontMetrics().size(Qt::TextShowMnemonic, withoutMnemonics(caption)).width();
}

int CaptionButton::padding() const {
    return QToolButton::sizeHint().width() -
           fontMetrics().size(Qt::TextShowMnemonic, text()).width();
}

QSize CaptionButton::sizeHint() const {
    QSize hint = QToolButton::sizeHint();
    hint.setWidth(padding() + textWidth(whole));
    return hint;
}

QSize CaptionButton::minimumSizeHint() const {
    QSize hint = QToolButton::sizeHint();
    hint.setWidth(padding() + textWidth(QString(QChar(0x2026))));
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
    const int room = width() - padding();
    const QString shown = textWidth(whole) <= room
                              ? whole
                              : fontMetrics().elidedText(whole, Qt::ElideMiddle, qMax(0, room));
    setText(withoutMnemonics(shown));
}
