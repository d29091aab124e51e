#pragma once

#include <QString>

struct CompletionState;

// Where the caret stands in the markup, read from the text alone.
namespace CaretContext {
enum class Case
{
    Outside,  // not inside a tag
    Word,     // a tag name, or an attribute value after "="
    Attribute // an attribute name after a space inside a tag
};

// Records the text around the caret and the positions of the delimiters before and after it
// (Ps, Csend, Loc1 to Loc4), and the next tag (Tagnext, kept when no complete tag follows).
void read(CompletionState &state, const QString &text, int caret);
Case classify(const CompletionState &state);
// The word being typed in the word case: sets Tagst1, Tagstring and Ismain.
void readWord(CompletionState &state, const QString &text, int caret);
// The attribute name being typed: sets Tagst2 and Tagstring.
void readAttribute(CompletionState &state, const QString &text, int caret);
} // namespace CaretContext
