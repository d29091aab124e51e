#include "assist/completionstage.h"

#include "assist/caretcontext.h"
#include "assist/closingtags.h"
#include "assist/completionstate.h"
#include "assist/placement.h"

#include "editor/editcontrol.h"
#include "platform/listcontrol.h"

#include <algorithm>

namespace {
constexpr int LookAhead = 5;
} // namespace

CompletionStage::CompletionStage(EditControl &Text1, ListControl &List1, ListControl &List2,
                                 CompletionState &state, Placement &placement)
    : m_text1(Text1)
    , m_list1(List1)
    , m_list2(List2)
    , m_state(state)
    , m_placement(placement)
{}

void CompletionStage::run()
{
    const QString &text = m_text1.Text();
    const int caret = m_text1.SelStart();
    CaretContext::read(m_state, text, caret);

    const bool scriptCode = inScriptCode();
    switch (CaretContext::classify(m_state)) {
    case CaretContext::Case::Outside:
        m_list1.setVisible(false);
        m_list2.setVisible(false);
        return;
    case CaretContext::Case::Word:
        m_list2.setVisible(false);
        CaretContext::readWord(m_state, text, caret);
        if (m_state.Loc1 > m_state.Locsp)
            m_state.Tagmain = m_state.Tagstring;
        if (scriptCode) {
            m_list1.setVisible(false);
            return;
        }
        if (!m_list1.Visible())
            m_placement.place(m_list1);
        m_state.Finded1 = select(m_list1, m_state.Tagstring, m_state.Attop);
        return;
    case CaretContext::Case::Attribute:
        m_list1.setVisible(false);
        CaretContext::readAttribute(m_state, text, caret);
        if (scriptCode) {
            m_list2.setVisible(false);
            return;
        }
        if (!m_list2.Visible())
            m_placement.place(m_list2);
        m_state.Finded2 = select(m_list2, m_state.Tagstring, m_state.Attop);
        if (m_state.Finded2)
            m_state.Completed = false;
        return;
    }
}

// A "<" in script code compares or shifts: it begins no tag, so it gets no list, and Space
// then types a space. Only the "<script" tag itself is still completed.
bool CompletionStage::inScriptCode() const
{
    if (m_state.Loc1 <= m_state.Loc2)
        return false; // outside any tag: nothing to decide
    const QStringView before = m_state.Ps.view();
    if (!ClosingTags::insideScriptBlock(before))
        return false;
    return !before.mid(m_state.Loc1).startsWith(u"script", Qt::CaseInsensitive);
}

bool CompletionStage::select(ListControl &list, const QString &prefix, bool attop)
{
    if (!prefix.isEmpty()) {
        const int count = list.ListCount();
        for (int i = 0; i < count; ++i) {
            if (!list.List(i).startsWith(prefix, Qt::CaseInsensitive))
                continue;
            list.setListIndex(std::clamp(attop ? i - LookAhead : i + LookAhead, 0, count - 1));
            list.setListIndex(i);
            return true;
        }
    }
    list.setListIndex(-1);
    return false;
}
