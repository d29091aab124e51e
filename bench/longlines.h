#pragma once

class QTextStream;

// Typing in the middle of a page that is one line of 1 MB and of 5 MB (minified markup): the
// line shown whole, as a plain editor shows it, beside the line shown in pieces, in one run.
void printLongLineTyping(int keys, QTextStream &out);
