#pragma once

#include <QString>

#include <vector>

// The undo and redo history of a text, in the text's own positions. The edits made between
// the outermost begin() and end() are one step; an edit outside them is a step of its own.
class EditHistory
{
public:
    struct Selection
    {
        int start = 0;
        int length = 0;
    };
    struct Edit
    {
        int position;
        QString removed;
        QString inserted;
    };
    struct Step
    {
        std::vector<Edit> edits;
        Selection before;
        Selection after;
        bool typing = false; // one typed character, which the next one may join
    };

    void begin(Selection current);
    // The next step joins the last one: the program's own keys that finish a user's action.
    void joinNext() { m_joinNext = true; }
    void stopJoining() { m_joinNext = false; }
    void end(Selection current);
    bool inStep() const { return m_depth > 0; }
    void record(int position, const QString &removed, const QString &inserted);
    void clear();

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // The step to undo, filed for redo; the caller makes sure there is one.
    const Step &undo();
    const Step &redo();

private:
    void joinTyping();

    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    int m_depth = 0;
    bool m_recorded = false;
    bool m_joinNext = false;
    Selection m_before;
};
