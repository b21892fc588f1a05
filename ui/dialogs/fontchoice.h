#pragma once

#include <QColor>
#include <QFont>
#include <QTextCharFormat>
#include <optional>

class QWidget;

// What the font command applies to the panes: the face, size and effects of
// a QFont plus a text colour, which Qt's font dialog does not offer itself.
struct FontChoice {
    QFont font;
    QColor color = Qt::black;

    // The character format that carries every part of the choice.
    QTextCharFormat charFormat() const;
};

// Shows Qt's font dialog with a colour list added to its effects group, as
// on the system this program comes from. Returns nothing when cancelled.
std::optional<FontChoice> chooseFont(QWidget *parent, const FontChoice &initial);
