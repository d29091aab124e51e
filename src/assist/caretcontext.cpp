#include "assist/caretcontext.h"

#include "assist/completionstate.h"

#include <algorithm>

namespace {
constexpr int Lookahead = 100;
} // namespace

namespace CaretContext {
void read(CompletionState &state, const QString &text, int caret)
{
    state.Ps.set(text, caret);
    state.Csend = text.mid(caret, Lookahead);

    // Backwards to the nearer of the last "<" and ">", which is all that decides anything; a
    // page of megabytes is not searched to its start on every keystroke.
    state.Loc1 = state.Loc2 = state.Locsp = state.Loceq = state.Locyin = 0;
    const QStringView before = state.Ps.view();
    for (qsizetype i = before.size() - 1; i >= 0; --i) {
        const int position = int(i) + 1;
        const char16_t c = before[i].unicode();
        if (c == u'<') {
            state.Loc1 = position;
            break;
        }
        if (c == u'>') {
            state.Loc2 = position;
            break;
        }
        if (c == u' ' && state.Locsp == 0)
            state.Locsp = position;
        else if (c == u'=' && state.Loceq == 0)
            state.Loceq = position;
        else if (c == u'"' && state.Locyin == 0)
            state.Locyin = position;
    }

    state.Loc3 = int(state.Csend.indexOf(u'<')) + 1;
    state.Loc4 = int(state.Csend.indexOf(u'>')) + 1;
    if (state.Loc4 > state.Loc3) {
        state.Tagnext = state.Csend.mid(state.Loc3, state.Loc4 - state.Loc3 - 1);
        state.Tagnext.remove(u' ');
    }
}

Case classify(const CompletionState &state)
{
    if (state.Loc1 <= state.Loc2)
        return Case::Outside;
    if (state.Loc1 > state.Locsp || state.Loceq > state.Locsp)
        return Case::Word;
    return Case::Attribute;
}

void readWord(CompletionState &state, const QString &text, int caret)
{
    state.Tagst1 = std::max({state.Loc1, state.Locsp, state.Loceq, state.Locyin});
    state.Tagstring = text.mid(state.Tagst1, caret - state.Tagst1);
    state.Ismain = !state.Tagstring.startsWith(u'/');
    if (!state.Ismain)
        state.Tagstring.remove(u'/');
}

void readAttribute(CompletionState &state, const QString &text, int caret)
{
    state.Tagst2 = state.Locsp;
    state.Tagstring = text.mid(state.Tagst2, caret - state.Tagst2);
    state.Tagstring.remove(u'/');
    // A name begun on a new line after the space
    if (state.Tagstring.startsWith(u'\r')) {
        state.Tagstring.remove(u'\r');
        state.Tagstring.remove(u'\n');
    }
}
} // namespace CaretContext
