#pragma once

#include "editor/edithistory.h"
#include "editor/longlines.h"

#include <QString>

#include <functional>

class QTextDocument;

// The editor's text model: the page text, in which a CR LF counts two characters, kept in step
// with the document that shows it. The document holds one block separator for each CR LF and
// one character for every other model character; a lone CR or LF shows as a visible symbol on
// its line. So a model position is the document position plus the number of line breaks before
// it (a line of many thousand characters is shown in pieces, see LongLines). Every change of the
// model is recorded in its undo history.
class TextModel
{
public:
    using Selection = EditHistory::Selection;
    using WholeWriter = std::function<void(const QString &shown)>;

    // On an empty document. `writeWhole` puts a whole new text in the document; by default the
    // document's own setPlainText.
    explicit TextModel(QTextDocument *document, WholeWriter writeWhole = {});

    const QString &text() const { return m_text; }
    // Inside a step of the history only what differs is replaced, and the replacement can be
    // undone; otherwise the whole document is written and a new history starts.
    void setText(const QString &text);
    // Replaces the model characters from `start` to `end`, and what the document shows of them.
    // Long lines may be put in pieces again: the caller sets the selection afterwards.
    void replace(int start, int end, const QString &text);
    // Takes a change the user made in the document (typing, deleting, an input method, a drop),
    // as the document reported it, into the model; false when the model stays as it was.
    bool takeDocumentChange(int position, int removed, int added);
    // Puts the lines of the user's last change in pieces or together again where their length
    // now asks for it; no character of the model moves. Returns whether the document changed.
    bool settleChange();
    // Whether the model is writing to the document.
    bool writing() const { return m_writing; }

    int modelPosition(int documentPosition) const;
    // A position inside a CR LF shows at the start of that line break.
    int documentPosition(int modelPosition) const;

    const LongLines &longLines() const { return m_longLines; }

    EditHistory &history() { return m_history; }
    const EditHistory &history() const { return m_history; }
    // Undoes or redoes one step and gives the selection it leaves; the caller makes sure there
    // is one.
    Selection undo();
    Selection redo();

private:
    Selection applyHistory(bool undoing);
    void writeDocument(int from, int to, const QString &shown);
    bool settle(int from, int to);
    void record(int position, const QString &removed, const QString &inserted);

    QTextDocument *m_document;
    WholeWriter m_writeWhole;
    QString m_text;
    bool m_writing = false;
    LongLines m_longLines;
    // The document range of the user's last change, whose lines may want to go in pieces.
    int m_changedFrom = 0;
    int m_changedTo = 0;
    EditHistory m_history;
    bool m_applyingHistory = false;
};
