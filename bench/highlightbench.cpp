#include "highlightbench.h"

#include "benchwindow.h"
#include "statistics.h"

#include "core/markupscanner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QSyntaxHighlighter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <memory>

namespace {
// Milliseconds that `work` takes.
double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// The same scanner behind the stock highlighter, which colours every line of a page
// synchronously as soon as the page is set.
class WholePageHighlighter : public QSyntaxHighlighter
{
public:
    explicit WholePageHighlighter(QTextDocument *document)
        : QSyntaxHighlighter(document)
    {
        for (int kind = 0; kind < MarkupScanner::KindCount; ++kind)
            m_formats[kind].setForeground(MarkupHighlighter::colour(MarkupScanner::Kind(kind)));
    }

protected:
    void highlightBlock(const QString &text) override
    {
        m_spans.clear();
        const int start = std::max(previousBlockState(), MarkupScanner::PageStart);
        setCurrentBlockState(MarkupScanner::scanLine(text, start, &m_spans));
        for (const MarkupScanner::Span &span : std::as_const(m_spans))
            setFormat(span.start, span.length, m_formats[int(span.kind)]);
    }

private:
    QTextCharFormat m_formats[MarkupScanner::KindCount];
    QList<MarkupScanner::Span> m_spans;
};

struct Costs
{
    double key = 0;         // key event handled
    double keyPainted = 0;  // and the editor repainted
    double openComment = 0; // the "-" that opens a comment over the whole page, painted
    double toEnd = 0;       // then Ctrl+End, painted
    double openPainted = 0; // open command until the editor is painted
};

// A window on doubles with its own copy of the page, coloured or not.
struct Window : BenchWindow<>
{
    Window(const QString &page, bool coloured)
    {
        path = folder.filePath(QStringLiteral("page.html"));
        QFile::copy(page, path);
        form.markupColours.setEnabled(coloured);
        dialog.files.append(folder.filePath(QStringLiteral("new.html")));
        form.Form_Load();
        (void)QTest::qWaitForWindowExposed(form.window.window());
    }

    ~Window()
    {
        messageBox.answers = {MessageBox::No};
        form.exit_Click();
    }

    double open()
    {
        dialog.files.append(path);
        const double ms = timed([&] {
            form.open_Click();
            viewport()->repaint();
        });
        form.Text1.SetFocus();
        QCoreApplication::processEvents();
        return ms;
    }

    // Milliseconds until the key is handled, and until the editor is repainted.
    QPair<double, double> key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(editor(), Qt::Key(key), modifiers);
        const double handled = timer.nsecsElapsed() / 1e6;
        viewport()->repaint();
        const double painted = timer.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
        return {handled, painted};
    }

    QPlainTextEdit *editor() const { return form.Text1.editor(); }
    QWidget *viewport() const { return editor()->viewport(); }

    QString path;
};

// Both windows take turns at every step, so that the load of the machine falls on both alike.
QPair<Costs, Costs> measureWindows(const QString &page, int keys)
{
    Window on(page, true);
    Window off(page, false);
    Window *const both[] = {&on, &off};
    QList<double> opens[2];
    QList<double> handled[2];
    QList<double> painted[2];
    Costs costs[2];
    for (int i = 0; i < 3; ++i) {
        for (int w = 0; w < 2; ++w)
            opens[w].append(both[w]->open());
    }
    for (int w = 0; w < 2; ++w)
        both[w]->form.Text1.setSelStart(int(both[w]->form.Text1.Text().size()));
    for (int i = 0; i < keys; ++i) {
        for (int w = 0; w < 2; ++w) {
            const auto [keyHandled, keyPainted] = both[w]->key(Qt::Key_A + i % 26);
            handled[w].append(keyHandled);
            painted[w].append(keyPainted);
        }
    }
    for (int w = 0; w < 2; ++w) {
        Window &window = *both[w];
        window.form.Text1.setSelStart(0);
        QTest::keyClicks(window.editor(), QStringLiteral("<!-"));
        window.viewport()->repaint();
        costs[w].openComment = window.key(Qt::Key_Minus).second;
        costs[w].toEnd = window.key(Qt::Key_End, Qt::ControlModifier).second;
        costs[w].openPainted = stats(opens[w]).median;
        costs[w].key = stats(handled[w]).median;
        costs[w].keyPainted = stats(painted[w]).median;
    }
    return {costs[0], costs[1]};
}

// The benchmark's floor: a key in a bare editor, with and without its repaint, plus one write
// of the page, as the preview does.
QPair<double, double> floorCosts(const QByteArray &bytes, int keys)
{
    QMainWindow window;
    auto *bare = new QPlainTextEdit(&window);
    window.setCentralWidget(bare);
    window.resize(646, 520);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    QString text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    bare->setPlainText(text);
    bare->moveCursor(QTextCursor::End);
    bare->setFocus();
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("floor.html"));
    QList<double> writes;
    for (int i = 0; i < 5; ++i) {
        writes.append(timed([&] {
            QFile out(file);
            if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
                out.write(bytes);
        }));
    }
    const double write = stats(writes).median;
    QList<double> handled;
    QList<double> painted;
    for (int i = 0; i < keys; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(bare, char('a' + i % 26));
        handled.append(timer.nsecsElapsed() / 1e6);
        bare->viewport()->repaint();
        painted.append(timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    return {stats(handled).median + write, stats(painted).median + write};
}

double wholePagePass(const QByteArray &bytes)
{
    QTextDocument document;
    document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
    QString text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    document.setPlainText(text);
    return timed([&] {
        WholePageHighlighter highlighter(&document);
        highlighter.rehighlight();
    });
}
} // namespace

void printHighlightCosts(const QList<QPair<QString, QString>> &pages, int keys, QTextStream &out)
{
    const QStringList headings{QStringLiteral("page"),
                               QStringLiteral("key on / off ms"),
                               QStringLiteral("on / off"),
                               QStringLiteral("floor ms"),
                               QStringLiteral("on / floor"),
                               QStringLiteral("key+paint on / off ms"),
                               QStringLiteral("on / off"),
                               QStringLiteral("floor ms"),
                               QStringLiteral("on / floor"),
                               QStringLiteral("comment opened at top on / off ms"),
                               QStringLiteral("then to end on / off ms"),
                               QStringLiteral("open+paint on / off ms"),
                               QStringLiteral("QSyntaxHighlighter whole page ms")};
    out << QStringLiteral("\nMarkup colours\n\n| ") << headings.join(QStringLiteral(" | "))
        << QStringLiteral(" |\n|") << QStringLiteral("---|").repeated(headings.size()) << u'\n';
    out.flush();
    for (const auto &[name, path] : pages) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        const auto [on, off] = measureWindows(path, keys);
        const auto [keyFloor, paintedFloor] = floorCosts(bytes, keys);
        const auto ms = [](double value) { return QString::number(value, 'f', 3); };
        const auto ratio = [](double a, double b) { return QString::number(a / b, 'f', 2); };
        const auto pair = [&](double a, double b) { return ms(a) + QStringLiteral(" / ") + ms(b); };
        const QStringList cells{name,
                                pair(on.key, off.key),
                                ratio(on.key, off.key),
                                ms(keyFloor),
                                ratio(on.key, keyFloor),
                                pair(on.keyPainted, off.keyPainted),
                                ratio(on.keyPainted, off.keyPainted),
                                ms(paintedFloor),
                                ratio(on.keyPainted, paintedFloor),
                                pair(on.openComment, off.openComment),
                                pair(on.toEnd, off.toEnd),
                                pair(on.openPainted, off.openPainted),
                                ms(wholePagePass(bytes))};
        out << QStringLiteral("| ") << cells.join(QStringLiteral(" | ")) << QStringLiteral(" |\n");
        out.flush();
    }
}
