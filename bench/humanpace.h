#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QTextStream;

struct HumanPaceOptions
{
    int keys = 100;
    int intervalMs = 80;
    // What a run may take from opening the page to its last figure, for the slowest pages.
    int limitSeconds = 90;
    // Which versions of each page are typed into: "removed" (its scripts taken out), "kept".
    QStringList scripts{QStringLiteral("removed"), QStringLiteral("kept")};
};

// Types at a human pace into the real window with the real browser engine, on each page
// (name, path) as it is and with its scripts taken out, with the preview reloaded on every
// change and with it brought up to date in place, and prints a table of what the user sees.
void printHumanPace(const QList<QPair<QString, QString>> &pages, const QString &folder,
                    const HumanPaceOptions &options, QTextStream &out);

// Moves the caret between the two ends of a 100 KB page, with and without its scripts, and
// prints how long the preview takes to bring the caret's element into view.
void printCaretFollow(const QString &folder, const HumanPaceOptions &options, QTextStream &out);
