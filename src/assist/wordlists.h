#pragma once

#include <QString>

class ListControl;

// The two built-in vocabularies, each word followed by "*". Their order is part of the
// behaviour: the first word that begins with the typed letters is the one selected.
namespace WordLists {
// Tag names and attribute values, for List1.
extern const QString Words;
// Attribute names, for List2.
extern const QString Attributes;

// Appends the words of `stored` to the list in their order, skipping empty pieces.
void fill(ListControl &list, const QString &stored);
} // namespace WordLists
