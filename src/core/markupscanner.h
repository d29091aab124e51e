#pragma once

#include <QList>
#include <QStringView>

#include <cstdint>

// Splits page source into the pieces the editor colours, one line at a time. What is still open
// at the end of a line (a comment, a tag, a quoted value, a script) is carried to the next line
// in a small state, so that a line can be scanned again on its own after an edit.
namespace MarkupScanner {

enum class Kind : std::uint8_t
{
    TagDelimiter, // < </ > /> and the = between an attribute and its value
    TagName,
    AttributeName,
    AttributeValue, // quoted or not, quotes included
    Comment,
    CharacterReference,
    Doctype, // <!DOCTYPE ...> and the other <! and <? declarations
    Script,  // the contents of a script element
    Style,   // the contents of a style element
};
constexpr int KindCount = 9;

struct Span
{
    int start = 0;
    int length = 0;
    Kind kind = Kind::TagDelimiter;
};

// What is open where a line begins or ends; a small number (below 64), PageStart at the top.
using State = int;
constexpr State PageStart = 0;

// Scans one line (without its line break) that begins in `start` and returns the state at its
// end. With `spans`, also appends the coloured pieces in order, none overlapping; text outside
// them is plain.
State scanLine(QStringView line, State start, QList<Span> *spans = nullptr);

// A start tag of a whole page: the place of its "<" and of the end of its name.
struct StartTag
{
    int start = 0;
    int nameEnd = 0;
};

// The start tags of a whole page text, in order; comments, declarations and the contents of
// scripts and style sheets hold none.
QList<StartTag> startTags(QStringView text);

} // namespace MarkupScanner
