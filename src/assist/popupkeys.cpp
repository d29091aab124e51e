#include "assist/popupkeys.h"

#include "assist/completionstate.h"

#include "editor/editcontrol.h"
#include "platform/keycodes.h"
#include "platform/keysender.h"
#include "platform/listcontrol.h"

#include <algorithm>

PopupKeys::PopupKeys(EditControl &Text1, ListControl &List1, ListControl &List2,
                     CompletionState &state, KeySender &keySender, std::function<void()> change)
    : m_text1(Text1)
    , m_list1(List1)
    , m_list2(List2)
    , m_state(state)
    , m_keySender(keySender)
    , m_change(std::move(change))
{}

void PopupKeys::editorKeyDown(int &keyCode, int shift)
{
    if (keyCode == KeyCodes::Delete || keyCode == KeyCodes::Backspace)
        forgetTagAtDeletedBracket(keyCode);
    if (keyCode == KeyCodes::Space && shift == 0 && (m_list1.Visible() || m_list2.Visible()))
        acceptInEditor();
    if (keyCode == KeyCodes::Up || keyCode == KeyCodes::Down)
        moveIntoList(keyCode);
    if (keyCode == KeyCodes::Escape)
        hideLists();
}

// A ">" about to be deleted ends the remembered tag name's claim to a closing tag.
void PopupKeys::forgetTagAtDeletedBracket(int keyCode)
{
    m_change();
    const QStringView before = m_state.Ps.view();
    const bool bracket = keyCode == KeyCodes::Delete ? m_state.Csend.startsWith(u'>')
                                                     : !before.isEmpty() && before.back() == u'>';
    if (bracket)
        m_state.Tagmain.clear();
}

void PopupKeys::acceptInEditor()
{
    CompletionState &s = m_state;
    if (s.Finded1 && (s.Loc1 > s.Locsp || s.Loceq > s.Locsp)) {
        QString completion = m_list1.Text().mid(s.Tagstring.size());
        if (s.Locyin > s.Loceq && s.Locyin > s.Loc1)
            completion += u'"';
        m_text1.setSelText(completion);
        // A quotation mark already after the caret would be doubled: it goes once the Space
        // is typed.
        const QString &text = m_text1.Text();
        const int caret = m_text1.SelStart();
        if (caret < text.size() && text.at(caret) == u'"') {
            m_keySender.SendKeys(QStringLiteral("{Del}"));
            m_text1.joinNextKeyToStep();
        }
        if (!s.Ismain)
            m_text1.setSelText(QStringLiteral(">"));
    } else if (s.Loc1 < s.Locsp && s.Loceq < s.Locsp && s.Finded2) {
        m_text1.setSelText(m_list2.Text().mid(s.Tagstring.size()));
        // After the insertion, whose change handler clears it
        s.Completed = true;
    }
}

void PopupKeys::moveIntoList(int &keyCode)
{
    const auto takes = [this](const ListControl &list) {
        return list.Visible() && list.ListIndex() != -1 && list.Text() != m_state.Tagstring;
    };
    ListControl *target = takes(m_list1) ? &m_list1 : takes(m_list2) ? &m_list2 : nullptr;
    if (!target) {
        hideLists();
        m_state.Tagmain.clear();
        return;
    }
    target->SetFocus();
    m_keySender.SendKeys(keyCode == KeyCodes::Up ? QStringLiteral("{Up}")
                                                 : QStringLiteral("{Down}"));
    keyCode = 0;
}

void PopupKeys::listKeyDown(ListControl &list, int &keyCode)
{
    if (keyCode == KeyCodes::Space) {
        keyCode = 0;
        const EditControl::UndoStep step(m_text1); // the word and its "=" together
        // The typed word is replaced by the list's word; with the caret nearer to the start
        // than the word is long, the selection starts at 0 and keeps the word's length.
        m_text1.setSelStart(std::max(0, m_text1.SelStart() - int(m_state.Tagstring.size())));
        m_text1.setSelLength(int(m_state.Tagstring.size()));
        m_text1.setSelText(list.Text());
        m_text1.SetFocus();
        if (&list == &m_list2)
            m_keySender.SendKeys(QStringLiteral("="), true);
    }
    if (keyCode == KeyCodes::Up && list.ListIndex() == 0)
        m_text1.SetFocus();
    if (keyCode == KeyCodes::Left || keyCode == KeyCodes::Escape || keyCode == KeyCodes::Right) {
        list.setVisible(false);
        m_text1.SetFocus();
    }
}

void PopupKeys::editorClick()
{
    hideLists();
}

void PopupKeys::finishAttribute(int &keyAscii)
{
    if (keyAscii == KeyCodes::Space && m_state.Completed && m_state.Finded2 && m_list2.Visible()) {
        keyAscii = 0;
        m_keySender.SendKeys(QStringLiteral("="));
        m_text1.joinNextKeyToStep();
        m_change();
    }
}

void PopupKeys::hideAttributeList(int keyAscii)
{
    if (keyAscii == u'=')
        m_list2.setVisible(false);
}

void PopupKeys::hideLists()
{
    m_list1.setVisible(false);
    m_list2.setVisible(false);
}
