#include "assist/closingtags.h"

#include "assist/completionstate.h"

#include "editor/editcontrol.h"
#include "platform/keycodes.h"

#include <QLatin1String>

#include <algorithm>
#include <array>

ClosingTags::ClosingTags(EditControl &Text1, CompletionState &state, std::function<void()> change)
    : m_text1(Text1)
    , m_state(state)
    , m_change(std::move(change))
{}

void ClosingTags::closeTag(int &keyAscii)
{
    if (keyAscii != u'>' && keyAscii != KeyCodes::Enter)
        return;
    m_change();
    stepBackOverSpace();

    CompletionState &s = m_state;
    if (s.Tagmain.isEmpty() || !s.Ismain || s.Tagnext == u'/' + s.Tagmain)
        return;
    if (s.Tagmain != QLatin1String("script") && insideScriptBlock(s.Ps.view()))
        return;
    // A declaration or a comment
    if (isExempt(s.Tagmain) || s.Tagmain.lastIndexOf(u'!') == 0)
        return;
    // A ">" inside an expression compares; it does not end a tag.
    if (parenthesisOpen(s.Ps.view())) {
        s.Tagmain.clear();
        return;
    }
    keyAscii = 0;
    m_text1.setSelText(QStringLiteral("></") + s.Tagmain + u'>');
    m_text1.setSelStart(m_text1.SelStart() - int(s.Tagmain.size()) - 3);
    s.Tagmain.clear();
}

// What is typed after a space goes in before it, so that the closing tag follows the opening
// one directly. At the very start of the text there is nowhere to step to.
void ClosingTags::stepBackOverSpace()
{
    const int caret = m_text1.SelStart();
    if (caret > 0 && m_text1.Text().at(caret - 1) == u' ')
        m_text1.setSelStart(caret - 1);
}

void ClosingTags::finishTagBeforeBreak(int keyAscii)
{
    const CompletionState &s = m_state;
    if (keyAscii != KeyCodes::Enter || s.Loc1 <= s.Loc2)
        return;
    const bool noBracketAhead = (s.Loc3 < s.Loc4 && s.Loc3 != 0) || (s.Loc3 == 0 && s.Loc4 == 0);
    if (!noBracketAhead || insideScriptBlock(s.Ps.view()) || s.Ps.view().contains(u"<!"))
        return;
    m_text1.setSelText(QStringLiteral(">"));
}

bool ClosingTags::insideScriptBlock(QStringView text)
{
    // The nearest "<" that begins "<script" or "</script" decides. Only a letter that folds to
    // "s" can begin "script", which spares the full comparison at almost every other "<".
    const auto mayBeginScript = [&text](qsizetype at) {
        return at < text.size() && QChar::toCaseFolded(text.at(at).unicode()) == u's';
    };
    for (qsizetype at = text.size() - 1; at >= 0; --at) {
        if (text.at(at) != u'<')
            continue;
        if (mayBeginScript(at + 1) && text.mid(at + 1).startsWith(u"script", Qt::CaseInsensitive))
            return true;
        if (at + 1 < text.size() && text.at(at + 1) == u'/' && mayBeginScript(at + 2) &&
            text.mid(at + 2).startsWith(u"script", Qt::CaseInsensitive))
            return false;
    }
    return false;
}

bool ClosingTags::parenthesisOpen(QStringView text)
{
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text.at(i) == u')')
            return false;
        if (text.at(i) == u'(')
            return true;
    }
    return false;
}

bool ClosingTags::isExempt(const QString &tagName)
{
    static const std::array<QLatin1String, 13> exempt = {
        QLatin1String("img"),      QLatin1String("br"),     QLatin1String("meta"),
        QLatin1String("b"),        QLatin1String("li"),     QLatin1String("base"),
        QLatin1String("basefont"), QLatin1String("dd"),     QLatin1String("dt"),
        QLatin1String("input"),    QLatin1String("option"), QLatin1String("frame"),
        QLatin1String("iframe")};
    return std::find(exempt.begin(), exempt.end(), tagName) != exempt.end();
}
