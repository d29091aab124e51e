#pragma once

class QTextStream;

// What the page checks cost at 100 KB and 1 MB: finding the problems and the misspelt words
// after a change (on the checking thread), and the longest the window's own thread is held
// while the checks run after each key.
void printCheckCosts(int keys, QTextStream &out);
