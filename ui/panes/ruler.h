#pragma once

#include <QLabel>
#include <QPointer>

class HexPane;

// The column ruler over the hex pane. Its text stays the ruler's text; its
// digits are drawn over the columns the hex pane lays out, so each digit
// stands over the second digit of its group whatever font the pane shows,
// and follows the pane's offset margin and horizontal scrolling.
class Ruler : public QLabel {
    Q_OBJECT

public:
    explicit Ruler(const QString &text, QWidget *parent = nullptr);

    void follow(HexPane *pane);
    // The centre of digit k (0..15) as drawn, in the ruler's coordinates.
    qreal digitCentre(int k) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<HexPane> pane;
};
