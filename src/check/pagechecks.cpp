#include "check/pagechecks.h"

#include "check/tagpairs.h"
#include "core/pagestate.h"
#include "editor/checkmarks.h"
#include "editor/editcontrol.h"
#include "platform/keycodes.h"
#include "platform/messagebox.h"
#include "system/nativefile.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextBlock>
#include <QtConcurrent>

#include <chrono>

namespace {
// Checking waits for this pause in typing.
constexpr std::chrono::milliseconds TypingPause(400);
constexpr int KeyE = 'E';
constexpr int KeyG = 'G';
constexpr int KeyF8 = 119;
// The pair at the caret is marked where it lies this close: the search runs after each key,
// and a tag without a partner would be looked for through the whole page.
constexpr int PairReach = 32768;
} // namespace

PageChecks::PageChecks(EditControl &Text1, const PageState &page, MessageBox &messageBox)
    : m_text1(Text1)
    , m_page(page)
    , m_messageBox(messageBox)
    , m_marks(std::make_unique<CheckMarks>(Text1))
{
    // The pair is found once the caret has settled, not at each step of an edit.
    m_pairTimer.setSingleShot(true);
    m_pairTimer.setInterval(0);
    QObject::connect(&m_pairTimer, &QTimer::timeout, &m_pairTimer, [this] { markTagPair(); });
    QObject::connect(Text1.editor(), &QPlainTextEdit::cursorPositionChanged, &m_pairTimer,
                     qOverload<>(&QTimer::start));
    m_pause.setSingleShot(true);
    m_pause.setInterval(TypingPause);
    QObject::connect(&m_pause, &QTimer::timeout, &m_pause, [this] { startCheck(); });
    QObject::connect(&m_check, &QFutureWatcher<Findings>::finished, &m_check,
                     [this] { checked(); });
    Text1.onContextMenu([this](QMenu &menu, int position) { addCommands(menu, position); });
}

PageChecks::~PageChecks()
{
    m_check.waitForFinished();
    m_dictionary.waitForFinished();
}

void PageChecks::onProblemsChanged(std::function<void(int)> handler)
{
    m_problemsChanged = std::move(handler);
}

void PageChecks::keyDown(int &keyCode, int shift)
{
    if (keyCode == KeyE && shift == KeyCodes::CtrlKey)
        goToMatchingTag();
    else if (keyCode == KeyG && shift == KeyCodes::CtrlKey)
        goToLine();
    else if (keyCode == KeyF8 && (shift == 0 || shift == KeyCodes::ShiftKey))
        goToProblem(shift == 0);
    else
        return;
    keyCode = 0;
}

void PageChecks::markTagPair()
{
    QList<CheckMarks::Mark> pair;
    const QString &text = m_text1.Text();
    if (m_text1.SelLength() == 0) {
        if (const std::optional<TagPairs::Tag> tag = TagPairs::tagAt(text, m_text1.SelStart())) {
            if (const std::optional<TagPairs::Tag> other =
                    TagPairs::partner(text, *tag, PairReach)) {
                pair.append({tag->start, tag->end - tag->start, QString()});
                pair.append({other->start, other->end - other->start, QString()});
            }
        }
    }
    m_marks->set(CheckMarks::TagPair, pair);
}

void PageChecks::goToMatchingTag()
{
    const QString &text = m_text1.Text();
    if (const std::optional<TagPairs::Tag> tag = TagPairs::tagAt(text, m_text1.SelStart())) {
        if (const std::optional<TagPairs::Tag> other = TagPairs::partner(text, *tag))
            moveTo(other->start);
    }
}

void PageChecks::goToLine()
{
    QPlainTextEdit *editor = m_text1.editor();
    const QTextDocument *document = editor->document();
    const int lines = document->blockCount();
    const std::optional<int> line = m_messageBox.askNumber(
        QStringLiteral("Line number (1 - %1):").arg(lines), QStringLiteral("Go to line"),
        editor->textCursor().blockNumber() + 1, 1, lines);
    if (line)
        moveTo(m_text1.modelPosition(document->findBlockByNumber(*line - 1).position()));
}

void PageChecks::goToProblem(bool forward)
{
    const QList<CheckMarks::Mark> marks = m_marks->marks(CheckMarks::Problems);
    if (marks.isEmpty())
        return;
    const int caret = m_text1.SelStart();
    const CheckMarks::Mark *target = forward ? &marks.first() : &marks.last();
    if (forward) {
        for (const CheckMarks::Mark &mark : marks) {
            if (mark.start > caret) {
                target = &mark;
                break;
            }
        }
    } else {
        for (auto mark = marks.crbegin(); mark != marks.crend(); ++mark) {
            if (mark->start < caret) {
                target = &*mark;
                break;
            }
        }
    }
    moveTo(target->start);
}

void PageChecks::moveTo(int position)
{
    m_text1.setSelStart(position);
    m_text1.editor()->ensureCursorVisible();
    m_text1.SetFocus();
}

void PageChecks::textChanged()
{
    ++m_generation;
    m_pause.start();
}

// One check at a time: a change made while one runs is checked once it is done.
void PageChecks::startCheck()
{
    if (m_check.isRunning()) {
        m_checkAgain = true;
        return;
    }
    const QString folder = m_page.editingfile.isEmpty()
                               ? QString()
                               : NativeFile::folderOf(NativeFile::absolute(m_page.editingfile));
    const QString language = Spelling::pageLanguage(m_text1.Text());
    if (!m_dictionary.isValid() || language != m_language) {
        m_language = language;
        m_dictionary = QtConcurrent::run(
            &Spelling::Dictionary::forLanguage, language,
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/Velmora/dictionary.txt"));
    }
    m_checkedGeneration = m_generation;
    m_check.setFuture(
        QtConcurrent::run(&PageChecks::findAll, m_text1.Text(), folder, m_dictionary));
}

PageChecks::Findings
PageChecks::findAll(const QString &text, const QString &folder,
                    const QFuture<std::shared_ptr<Spelling::Dictionary>> &dictionary)
{
    Findings found{Problems::find(text, folder), {}};
    const std::shared_ptr<Spelling::Dictionary> words = dictionary.result();
    // A page that is not text has no words either.
    if (words && !Problems::looksBinary(text))
        found.misspelt = words->misspelt(text);
    return found;
}

void PageChecks::checked()
{
    if (m_checkAgain) {
        m_checkAgain = false;
        startCheck();
        return;
    }
    if (m_checkedGeneration != m_generation)
        return; // the text has changed since: its own check is on its way
    const Findings found = m_check.result();
    m_problems = found.problems;
    QList<CheckMarks::Mark> marks;
    for (const Problems::Problem &problem : m_problems)
        marks.append({problem.start, problem.length, problem.message});
    m_marks->set(CheckMarks::Problems, marks);
    QList<CheckMarks::Mark> words;
    for (const Spelling::Word &word : found.misspelt)
        words.append({word.start, word.length, QString()});
    m_marks->set(CheckMarks::Spelling, words);
    if (m_problemsChanged)
        m_problemsChanged(int(m_problems.size()));
}

// The misspelt word under `position`: its suggestions at the top, and a way to keep it.
void PageChecks::addSpellingCommands(QMenu &menu, int position)
{
    const QList<CheckMarks::Mark> words = m_marks->shown(CheckMarks::Spelling);
    const auto under = std::find_if(words.cbegin(), words.cend(), [position](const auto &word) {
        return word.start <= position && position <= word.start + word.length;
    });
    const std::shared_ptr<Spelling::Dictionary> dictionary = this->dictionary();
    if (under == words.cend() || !dictionary)
        return;
    const CheckMarks::Mark &word = *under;
    const QString spelt = m_text1.Text().mid(word.start, word.length);
    QAction *first = menu.actions().value(0);
    const QStringList suggestions = dictionary->suggestions(spelt);
    for (const QString &suggestion : suggestions) {
        QAction *choice = new QAction(suggestion, &menu);
        QObject::connect(choice, &QAction::triggered, choice, [this, word, suggestion] {
            const EditControl::UndoStep step(m_text1);
            m_text1.setSelStart(word.start);
            m_text1.setSelLength(word.length);
            m_text1.setSelText(suggestion);
        });
        menu.insertAction(first, choice);
    }
    if (suggestions.isEmpty()) {
        QAction *none = new QAction(QStringLiteral("(No suggestions)"), &menu);
        none->setEnabled(false);
        menu.insertAction(first, none);
    }
    QAction *add = new QAction(QStringLiteral("Add to Dictionary"), &menu);
    QObject::connect(add, &QAction::triggered, add, [this, dictionary, spelt] {
        dictionary->add(spelt);
        QList<CheckMarks::Mark> kept;
        for (const CheckMarks::Mark &mark : m_marks->marks(CheckMarks::Spelling)) {
            if (m_text1.Text().mid(mark.start, mark.length) != spelt)
                kept.append(mark);
        }
        m_marks->set(CheckMarks::Spelling, kept);
    });
    menu.insertAction(first, add);
    menu.insertSeparator(first);
}

std::shared_ptr<Spelling::Dictionary> PageChecks::dictionary() const
{
    return m_dictionary.isValid() && m_dictionary.isFinished() ? m_dictionary.result() : nullptr;
}

void PageChecks::addCommands(QMenu &menu, int position)
{
    addSpellingCommands(menu, position);
    const QString &text = m_text1.Text();
    const std::optional<TagPairs::Tag> tag = TagPairs::tagAt(text, position);
    menu.addSeparator();
    QAction *matching = menu.addAction(QStringLiteral("Go to &matching tag"), [this, position] {
        m_text1.setSelStart(position);
        goToMatchingTag();
    });
    matching->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    matching->setEnabled(tag && TagPairs::partner(text, *tag));
    QAction *line = menu.addAction(QStringLiteral("&Go to line..."), [this] { goToLine(); });
    line->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
}
