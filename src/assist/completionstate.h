#pragma once

#include <QString>
#include <QStringView>

#include <algorithm>

// The first `size()` characters of a text, read in place, so that the text before the caret
// is not copied on every keystroke. The text is the editor's, which outlives the window state.
class TextPrefix
{
public:
    void set(const QString &text, int size)
    {
        m_text = &text;
        m_size = size;
    }
    int size() const { return m_size; }
    QStringView view() const
    {
        if (!m_text)
            return {};
        return QStringView(*m_text).left(std::min<qsizetype>(m_size, m_text->size()));
    }

private:
    const QString *m_text = nullptr;
    int m_size = 0;
};

// The caret's context at the last change of the text, and what the pop-up lists found there.
// Positions are 1-based, 0 meaning not found. Of the last "<", ">", space, "=" and quotation
// mark before the caret, only those after the nearer of the last "<" and the last ">" are
// looked for (that one included): every decision compares them with that bracket, so an
// earlier one, read as 0, decides the same.
struct CompletionState
{
    TextPrefix Ps;     // the text before the caret
    QString Csend;     // at most 100 characters after the caret
    int Loc1 = 0;      // last "<" in Ps
    int Loc2 = 0;      // last ">" in Ps
    int Locsp = 0;     // last space in Ps
    int Loceq = 0;     // last "=" in Ps
    int Locyin = 0;    // last quotation mark in Ps
    int Loc3 = 0;      // first "<" in Csend
    int Loc4 = 0;      // first ">" in Csend
    int Tagst1 = 0;    // the delimiter after which the word being typed begins
    int Tagst2 = 0;    // the same for an attribute name: Locsp
    QString Tagnext;   // the next tag after the caret, spaces removed
    QString Tagstring; // the word being typed
    QString Tagmain;   // the tag name remembered for closing
    bool Ismain = false;
    bool Finded1 = false;
    bool Finded2 = false;
    bool Completed = false;
    bool Attop = false;
};
