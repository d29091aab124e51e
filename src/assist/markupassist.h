#pragma once

#include "assist/closingtags.h"
#include "assist/completionstage.h"
#include "assist/placement.h"
#include "assist/popupkeys.h"

#include <functional>

class EditControl;
class KeySender;
class ListControl;
class MainWindow;
struct CompletionState;

// Help with the markup while the page is typed: the pop-up lists and their keys, and closing
// tags. `change` is the editor's whole change handler, which the keys run to bring the state
// up to date before they decide.
class MarkupAssist
{
public:
    MarkupAssist(MainWindow &window, EditControl &Text1, ListControl &List1, ListControl &List2,
                 CompletionState &state, KeySender &keySender, const std::function<void()> &change);

    // The completion stage of the change handler.
    void textChanged();
    void editorKeyDown(int &keyCode, int shift);
    void editorKeyPress(int &keyAscii);
    void editorClick();
    void listKeyDown(ListControl &list, int &keyCode);

private:
    Placement m_placement;
    CompletionStage m_completion;
    PopupKeys m_popupKeys;
    ClosingTags m_closingTags;
};
