#include "editor/edithistory.h"

void EditHistory::begin(Selection current)
{
    if (m_depth++ > 0)
        return;
    m_before = current;
    m_recorded = m_joinNext && !m_undo.empty();
    m_joinNext = false;
}

void EditHistory::end(Selection current)
{
    if (--m_depth > 0 || !m_recorded)
        return;
    m_undo.back().after = current;
    joinTyping();
}

void EditHistory::record(int position, const QString &removed, const QString &inserted)
{
    if (removed.isEmpty() && inserted.isEmpty())
        return;
    m_redo.clear();
    if (m_depth > 0 && m_recorded) {
        m_undo.back().edits.push_back({position, removed, inserted});
        return;
    }
    Step step;
    step.edits.push_back({position, removed, inserted});
    if (m_depth > 0) {
        step.before = m_before;
        m_recorded = true;
    } else {
        step.before = {position, int(removed.size())};
        step.after = {position + int(inserted.size()), 0};
    }
    m_undo.push_back(std::move(step));
}

void EditHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
}

const EditHistory::Step &EditHistory::undo()
{
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    return m_redo.back();
}

const EditHistory::Step &EditHistory::redo()
{
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    return m_undo.back();
}

// Letters and digits typed one after another are undone together, as a word.
void EditHistory::joinTyping()
{
    Step &step = m_undo.back();
    const Edit &edit = step.edits.front();
    step.typing = step.edits.size() == 1 && edit.removed.isEmpty() && edit.inserted.size() == 1 &&
                  edit.inserted.front().isLetterOrNumber();
    if (!step.typing || m_undo.size() < 2)
        return;
    Step &previous = m_undo[m_undo.size() - 2];
    Edit &typed = previous.edits.front();
    if (previous.typing && step.before.length == 0 && previous.after.start == step.before.start &&
        typed.position + typed.inserted.size() == edit.position) {
        typed.inserted += edit.inserted;
        previous.after = step.after;
        m_undo.pop_back();
    }
}
