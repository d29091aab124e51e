#include "assist/placement.h"

#include "assist/completionstate.h"

#include "editor/editcontrol.h"
#include "platform/listcontrol.h"
#include "platform/mainwindow.h"
#include "platform/units.h"

#include <QPoint>

Placement::Placement(MainWindow &window, EditControl &Text1, CompletionState &state)
    : m_window(window)
    , m_text1(Text1)
    , m_state(state)
{}

void Placement::place(ListControl &list)
{
    // The edit control counts characters, so the caret's index is the length of the text
    // before it; at the end of the text it answers with the caret's real place.
    const QPoint caret = m_text1.PosFromChar(m_state.Ps.size());
    // One and a half lines of the window's font, not the editor's
    const double lineOffset = m_window.TextHeight(QStringLiteral("Test")) * 3 / 2;

    list.setLeft(m_text1.Left() + Units::toTwipsX(caret.x()));
    list.setTop(m_text1.Top() + Units::toTwipsY(caret.y()) + lineOffset);
    if (list.Left() + list.Width() > m_window.ScaleWidth())
        list.setLeft(list.Left() - list.Width());
    m_state.Attop = list.Top() + list.Height() > m_window.ScaleHeight();
    if (m_state.Attop)
        list.setTop(list.Top() - list.Height() - lineOffset);
    list.setVisible(true);
}
