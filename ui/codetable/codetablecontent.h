#pragma once

#include <QString>
#include <QStringList>
#include <array>

// What the code table says, apart from how it looks: the section titles, the
// character each section shows for a code and the texts around the table.
// The rows of the control codes come from the core's table of control bytes.
namespace codetable {

enum class Section { Control, Ascii, Cp866, Cp1251 };

inline constexpr std::array<Section, 4> sections = {Section::Control, Section::Ascii,
                                                    Section::Cp866, Section::Cp1251};

struct SectionRange {
    int first;
    int last;
};

SectionRange codeRange(Section section);

// A title as the runs it is written in; the runs marked red are shown red.
struct TitleRun {
    QString text;
    bool red;
};
QList<TitleRun> sectionTitle(Section section);

// The character column of the sections that show one character per code.
// Empty for a space or a code with no visible form; the soft hyphen shows as
// a hyphen so that it can be seen at all.
QString shownCharacter(Section section, int code);

// True for the characters drawn from the box-drawing and block-element
// blocks, which a serif face draws poorly or not at all.
bool isBoxDrawing(QChar ch);

QString sourceLine();
QString heading();

// The note under the table: its lines, the first to be preceded by a bold "* ".
QStringList codeNoteLines();

// The three lines of the note on the Ctrl key; the first begins with its
// lead word.
QString keyNoteLeadWord();
QStringList keyNoteLines();

} // namespace codetable
