#pragma once

#include "check/problems.h"
#include "check/spelling.h"

#include <QFutureWatcher>
#include <QTimer>

#include <functional>
#include <memory>

class CheckMarks;
class EditControl;
class MessageBox;
class QMenu;
struct PageState;

// Knowing where you are in the page and what is wrong with it: the tag that pairs with the one
// at the caret, moves to it and to a line, and the page's problems, found on another thread
// after a short pause in typing, marked in the editor and stepped through with F8.
class PageChecks
{
public:
    PageChecks(EditControl &Text1, const PageState &page, MessageBox &messageBox);
    ~PageChecks();

    // Takes Ctrl+E, Ctrl+G, F8 and Shift+F8 (the key code becomes 0).
    void keyDown(int &keyCode, int shift);
    // The text changed, or another page was opened: the problems are found again soon.
    void textChanged();

    void goToMatchingTag();
    void goToLine();
    // To the next problem after the caret, or the previous one before it, round the page.
    void goToProblem(bool forward);

    int problemCount() const { return int(m_problems.size()); }
    void onProblemsChanged(std::function<void(int count)> handler);

private:
    void markTagPair();
    void startCheck();
    void checked();
    void addCommands(QMenu &menu, int position);
    void moveTo(int position);

    EditControl &m_text1;
    const PageState &m_page;
    MessageBox &m_messageBox;
    std::unique_ptr<CheckMarks> m_marks;
    QTimer m_pairTimer;
    QTimer m_pause;
    struct Findings
    {
        QList<Problems::Problem> problems;
        QList<Spelling::Word> misspelt;
    };
    static Findings findAll(const QString &text, const QString &folder,
                            const QFuture<std::shared_ptr<Spelling::Dictionary>> &dictionary);
    // Null while the dictionary is still being read.
    std::shared_ptr<Spelling::Dictionary> dictionary() const;
    void addSpellingCommands(QMenu &menu, int position);

    // Read on another thread: a dictionary takes a while.
    QFuture<std::shared_ptr<Spelling::Dictionary>> m_dictionary;
    QString m_language; // what the dictionary was chosen for
    QFutureWatcher<Findings> m_check;
    bool m_checkAgain = false;
    quint64 m_generation = 0; // counts changes of the text
    quint64 m_checkedGeneration = 0;
    QList<Problems::Problem> m_problems;
    std::function<void(int)> m_problemsChanged;
};
