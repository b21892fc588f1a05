#pragma once

#include <QToolButton>

// The toolbar's first button, which shows the open file's path. The caption
// stands on one line as high as its font needs; where the toolbar is too
// narrow for it, it is elided in the middle, so that the file's name stays
// in sight and a long path never widens the window. A click does nothing.
class CaptionButton : public QToolButton {
public:
    explicit CaptionButton(QWidget *parent = nullptr);

    // The caption as given, however much of it shows.
    QString caption() const { return whole; }
    void setCaption(const QString &caption);

    // As wide as the whole caption, but content with less.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showCaption();
    int textWidth(const QString &caption) const;
    // What the button needs around its text.
    int padding() const;

    QString whole;
};
