#include "find/findpanel.h"

#include "editor/editcontrol.h"
#include "platform/controls.h"
#include "platform/messagebox.h"

#include <algorithm>

FindPanel::FindPanel(Frame &panel, TextBox &findBox, TextBox &replaceBox, CheckBox &matchCase,
                     const std::array<Button *, 4> &buttons, EditControl &editor,
                     MessageBox &messageBox)
    : m_panel(panel)
    , m_findBox(findBox)
    , m_replaceBox(replaceBox)
    , m_matchCase(matchCase)
    , m_buttons(buttons)
    , m_editor(editor)
    , m_messageBox(messageBox)
{}

bool FindPanel::isOpen() const
{
    return m_panel.Enabled();
}

void FindPanel::toggle()
{
    if (isOpen())
        close();
    else
        open();
}

void FindPanel::open()
{
    m_panel.setTop(0);
    showButtons(true);
    // Enabled first: a box inside a disabled panel cannot take the focus.
    m_panel.setEnabled(true);
    m_findBox.SetFocus();
    // In a very short window the editor gives what it has, down to nothing.
    m_editorHeightTaken = std::min(m_editor.Height(), double(float(m_panel.Height() / 2)));
    m_editor.setHeight(m_editor.Height() - m_editorHeightTaken);
}

void FindPanel::close()
{
    m_editor.setHeight(m_editor.Height() + m_editorHeightTaken);
    m_editorHeightTaken = 0;
    m_panel.setEnabled(false);
    showButtons(false);
    // Focus in the panel or on a hidden button would be lost: typing goes on in the editor.
    m_editor.SetFocus();
}

void FindPanel::showButtons(bool visible)
{
    for (Button *button : m_buttons)
        button->setVisible(visible);
}

void FindPanel::findBoxGotFocus()
{
    m_editor.setSelStart(0);
}

void FindPanel::findNext()
{
    const Qt::CaseSensitivity mode =
        m_matchCase.Value() == 1 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const QString &text = m_editor.Text();
    const QString what = m_findBox.Text();
    const qsizetype start = qsizetype(m_editor.SelStart()) + m_editor.SelLength();
    // An empty find text matches right at the start, but not past the end of the text.
    const qsizetype found = start < text.size() ? text.indexOf(what, start, mode) : -1;
    if (found >= 0) {
        m_editor.setSelStart(int(found));
        m_editor.setSelLength(int(what.size()));
    } else {
        m_messageBox.MsgBox(QStringLiteral("Search complete!"), 64, QStringLiteral("Result"));
    }
    m_editor.SetFocus();
}

void FindPanel::replace()
{
    if (m_editor.SelLength() == 0) {
        findNext();
        return;
    }
    const EditControl::UndoStep step(m_editor);
    const QString replacement = m_replaceBox.Text();
    m_editor.setSelText(replacement);
    const int length = int(replacement.size());
    m_editor.setSelStart(m_editor.SelStart() - length);
    m_editor.setSelLength(length);
    findNext();
}

void FindPanel::replaceAll()
{
    const QString what = m_findBox.Text();
    if (what.isEmpty())
        return;
    const QString &text = m_editor.Text();
    QString replaced = text;
    replaced.replace(what, m_replaceBox.Text(), Qt::CaseSensitive);
    // With nothing to replace the page stays as it is, unchanged and with the caret in place.
    if (replaced != text) {
        const EditControl::UndoStep step(m_editor);
        m_editor.setText(replaced);
    }
}
