#pragma once

#include <QString>

class EditControl;
class ListControl;
class Placement;
struct CompletionState;

// The pop-up stage of the editor's change handler: shows the word list while a tag name or
// an attribute value is typed and the attribute list while an attribute name is typed, hides
// both outside tags, and selects the first word that begins with the typed letters.
class CompletionStage
{
public:
    CompletionStage(EditControl &Text1, ListControl &List1, ListControl &List2,
                    CompletionState &state, Placement &placement);

    void run();

    // Selects the first item beginning with `prefix`, letter case ignored, after bringing up to
    // five items beyond it (before it when the list stands above the caret) into view. Returns
    // whether one was found; without one the selection is cleared.
    static bool select(ListControl &list, const QString &prefix, bool attop);

private:
    bool inScriptCode() const;

    EditControl &m_text1;
    ListControl &m_list1;
    ListControl &m_list2;
    CompletionState &m_state;
    Placement &m_placement;
};
