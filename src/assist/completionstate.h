#pragma once

#include <QString>

// The caret's context at the last change of the text, and what the pop-up lists found there.
// Positions are 1-based, 0 meaning not found.
struct CompletionState
{
    QString Ps;     // the text before the caret
    QString Csend;  // at most 100 characters after the caret
    int Loc1 = 0;   // last "<" in Ps
    int Loc2 = 0;   // last ">" in Ps
    int Locsp = 0;  // last space in Ps
    int Loceq = 0;  // last "=" in Ps
    int Locyin = 0; // last quotation mark in Ps
    int Loc3 = 0;   // first "<" in Csend
    int Loc4 = 0;   // first ">" in Csend
    int Tagst1 = 0;
    int Tagst2 = 0;
    QString Tagnext;   // the next tag after the caret, spaces removed
    QString Tagstring; // the word being typed
    QString Tagmain;   // the tag name remembered for closing
    bool Ismain = false;
    bool Finded1 = false;
    bool Finded2 = false;
    bool Completed = false;
    bool Attop = false;
};
