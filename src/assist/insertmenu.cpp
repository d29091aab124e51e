#include "assist/insertmenu.h"

#include "editor/editcontrol.h"
#include "platform/messagebox.h"

namespace {
struct Tags
{
    const char16_t *prefix;
    const char16_t *suffix;
};

// In the order of the Wrapping values.
constexpr Tags Wrappings[] = {
    {u"<table>\r\n   <tr>\r\n      <td>", u"</td>\r\n   </tr>\r\n</table>"},
    {u"<p>", u"</p>"},
    {u"<font face=>", u"</font>"},
    {u"<a href=>", u"</a>"},
    {u"<br>", u""},
    {u"<img src=", u">"},
    {u"<script>\r\n", u"\r\n</script>"},
    {u"<HTML>\r\n<HEAD>\r\n   <TITLE></TITLE>\r\n</head>\r\n<BODY>\r\n",
     u"\r\n\r\n</BODY>\r\n</HTML>"},
    {u"<>", u"</>"},
};
} // namespace

InsertMenu::InsertMenu(EditControl &Text1, MessageBox &messageBox)
    : m_text1(Text1)
    , m_messageBox(messageBox)
{}

void InsertMenu::wrap(Wrapping wrapping)
{
    const QString prefix = QString::fromUtf16(Wrappings[wrapping].prefix);
    const QString suffix = QString::fromUtf16(Wrappings[wrapping].suffix);
    m_text1.setSelText(prefix + m_text1.SelText() + suffix);
    m_text1.setSelStart(m_text1.SelStart() - int(suffix.size()));
}

void InsertMenu::nbsp()
{
    m_text1.setSelText(QStringLiteral("&nbsp;"));
}

void InsertMenu::help()
{
    m_messageBox.MsgBox(QStringLiteral("If you select some characters before insert,\r\n"
                                       "The tags would be added to the left and right."),
                        0);
}
