// Measures what a keystroke, the preview and opening a page cost on pages of 10 KB to 10 MB,
// driving the real window with real key events, offscreen, and prints one table.

#include "checkbench.h"
#include "highlightbench.h"
#include "humanpace.h"
#include "linebreakpages.h"
#include "longlines.h"
#include "pagefiles.h"
#include "pagegenerator.h"
#include "previewwrite.h"
#include "statistics.h"

#include "fakebrowser.h"
#include "fakecommondialog.h"
#include "fakemessagebox.h"

#include "app/form1.h"
#include "platform/qtkeysender.h"
#include "preview/engine/webenginebrowser.h"
#include "system/settingsstore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {
struct Options
{
    int keys = 50;
    int browserKeys = 20;
    int burstKeys = 50;
    int idleSeconds = 5;
};

double milliseconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Runs the event loop until `done` or the time is up. (QTest's waits sleep between rounds of
// events, which slows the browser engine, whose own work runs on this thread, many times over.)
bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
    return done();
}

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A window on doubles, or on the real browser, with a page opened through the open dialog.
struct Editor
{
    explicit Editor(bool realBrowser)
    {
        if (realBrowser)
            webBrowser = std::make_unique<WebEngineBrowser>();
        Browser &browser = webBrowser ? static_cast<Browser &>(*webBrowser) : countingBrowser;
        form = std::make_unique<Form1>(Services{messageBox, dialog, browser, keySender, settings});
    }

    void open(const QString &path)
    {
        dialog.files.append(path);
        form->Form_Load();
        (void)QTest::qWaitForWindowExposed(form->window.window());
        form->Text1.SetFocus();
    }

    QWebEngineView *view() const { return webBrowser ? webBrowser->webView() : nullptr; }
    // Each load is loaded underneath and then shown in place of the page shown.
    void onShown(const std::function<void()> &shown) const
    {
        auto *stack = qobject_cast<QStackedLayout *>(webBrowser->view()->layout());
        QObject::connect(stack, &QStackedLayout::currentChanged, stack, shown);
    }

    void type(char c) { QTest::keyClick(form->Text1.editor(), c); }

    FakeMessageBox messageBox;
    FakeCommonDialog dialog;
    FakeBrowser countingBrowser;
    QtKeySender keySender;
    QTemporaryDir settingsFolder;
    IniSettingsStore settings{settingsFolder.filePath(QStringLiteral("settings.ini"))};
    std::unique_ptr<WebEngineBrowser> webBrowser;
    std::unique_ptr<Form1> form;
};

QList<double> typeAndTime(Editor &editor, int caret, int count)
{
    editor.form->Text1.setSelStart(caret);
    QList<double> samples;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        editor.type(char('a' + i % 26));
        samples.append(milliseconds(timer));
        QCoreApplication::processEvents();
    }
    return samples;
}

double floorCost(const QString &text, const QByteArray &bytes, const QString &folder, int count)
{
    QMainWindow window;
    auto *bare = new QPlainTextEdit(&window);
    window.setCentralWidget(bare);
    window.resize(646, 520);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    bare->setPlainText(plain);
    bare->moveCursor(QTextCursor::End);
    bare->setFocus();
    QList<double> inserts;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(bare, char('a' + i % 26));
        inserts.append(milliseconds(timer));
        QCoreApplication::processEvents();
    }
    QList<double> writes;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        QFile file(folder + QStringLiteral("/floor.html"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        file.close();
        writes.append(milliseconds(timer));
    }
    return stats(inserts).median + stats(writes).median;
}

// The trimmed text of the page's last node: what was typed at the very end.
QString previewTail(QWebEngineView *view)
{
    QString tail;
    bool done = false;
    view->page()->runJavaScript(
        QStringLiteral("(function(){var n=document.body&&document.body.lastChild;"
                       "return n?n.textContent.trim():'';})()"),
        [&](const QVariant &result) {
            tail = result.toString();
            done = true;
        });
    (void)waitUntil([&] { return done; }, 20000);
    return tail;
}

// Waits until a load that finished after `since` shows text ending in `typed`; returns the
// time of that load, or -1.
double waitForPreview(Editor &editor, double since, const QString &typed,
                      const QList<double> &loads)
{
    int checked = 0;
    while (waitUntil([&] { return loads.size() > checked; }, 60000)) {
        const double at = loads.at(checked++);
        if (at >= since && previewTail(editor.view()).endsWith(typed.right(20)))
            return at;
    }
    return -1;
}

struct PreviewResult
{
    double engineReload = 0;
    double keyToPreview = 0;
    double burstLag = 0;
};

PreviewResult measurePreview(const QString &path, const Options &options)
{
    Editor editor(true);
    // Measured on loads: an update in place sends none (the human-pace table has those).
    editor.form->livePreview.updater().setInPlace(false);
    QElapsedTimer clock;
    clock.start();
    QList<double> loads;
    editor.onShown([&] { loads.append(milliseconds(clock)); });
    editor.open(path);
    (void)waitUntil([&] { return !loads.isEmpty(); }, 60000);
    editor.form->Text1.setSelStart(int(editor.form->Text1.Text().size()));

    // The browser's own time to load the page again, with no keystroke: the preview's floor.
    QList<double> reloads;
    for (int i = 0; i < 5; ++i) {
        const int before = int(loads.size());
        const double start = milliseconds(clock);
        editor.webBrowser->Refresh();
        if (waitUntil([&] { return loads.size() > before; }, 60000))
            reloads.append(loads.last() - start);
    }

    QString typed;
    QList<double> samples;
    for (int i = 0; i < options.browserKeys; ++i) {
        const char c = char('a' + i % 26);
        const double start = milliseconds(clock);
        editor.type(c);
        typed += QLatin1Char(c);
        const double shown = waitForPreview(editor, start, typed, loads);
        if (shown >= 0)
            samples.append(shown - start);
    }

    double lastKey = 0;
    for (int i = 0; i < options.burstKeys; ++i) {
        const char c = char('A' + i % 26);
        lastKey = milliseconds(clock);
        editor.type(c);
        typed += QLatin1Char(c);
        pause(20);
    }
    const double shown = waitForPreview(editor, lastKey, typed, loads);
    return {stats(reloads).median, stats(samples).median, shown >= 0 ? shown - lastKey : -1};
}

// Runs in a process of its own, so that its peak memory is the editor's alone.
int measureOpen(const QString &path, const Options &options)
{
    QTemporaryDir folder;
    Editor editor(true);
    QList<double> loads;
    QElapsedTimer clock;
    clock.start();
    editor.onShown([&] { loads.append(milliseconds(clock)); });
    editor.open(folder.filePath(QStringLiteral("new.html")));
    (void)waitUntil([&] { return !loads.isEmpty(); }, 60000);
    // As at start-up, where the engine warms up while the user picks the page.
    pause(3000);

    editor.dialog.files.append(path);
    const double start = milliseconds(clock);
    const int loadsBefore = int(loads.size());
    editor.form->open_Click();
    const double editorReady = milliseconds(clock) - start;
    (void)waitUntil([&] { return loads.size() > loadsBefore; }, 60000);
    const double previewReady = loads.size() > loadsBefore ? loads.last() - start : -1;

    pause(2000); // let the layout settle
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer idle;
    idle.start();
    pause(options.idleSeconds * 1000);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const auto cpu = [](const rusage &u) {
        return u.ru_utime.tv_sec * 1e3 + u.ru_utime.tv_usec / 1e3 + u.ru_stime.tv_sec * 1e3 +
               u.ru_stime.tv_usec / 1e3;
    };
    const double idlePercent = 100.0 * (cpu(after) - cpu(before)) / idle.elapsed();

    std::printf("%.1f %.1f %.1f %.2f\n", editorReady, previewReady, after.ru_maxrss / 1024.0,
                idlePercent);
    return 0;
}

QString sizeName(qint64 bytes)
{
    if (bytes >= 1000000)
        return QString::number(bytes / 1000000.0, 'g', 3) + QStringLiteral(" MB");
    return QString::number(bytes / 1000.0, 'g', 3) + QStringLiteral(" KB");
}

qint64 parseSize(QString text)
{
    text = text.trimmed().toUpper();
    qint64 factor = 1;
    if (text.endsWith(u'K'))
        factor = 1000;
    else if (text.endsWith(u'M'))
        factor = 1000000;
    if (factor > 1)
        text.chop(1);
    return qint64(text.toDouble() * factor);
}
} // namespace

int main(int argc, char *argv[])
{
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // wanted by the browser engine
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Velmora keystroke and preview benchmark"));
    parser.addHelpOption();
    const QCommandLineOption sizesOption(QStringLiteral("sizes"),
                                         QStringLiteral("Generated page sizes, e.g. 10K,1M."),
                                         QStringLiteral("list"), QStringLiteral("10K,100K,1M,10M"));
    const QCommandLineOption keysOption(QStringLiteral("keys"),
                                        QStringLiteral("Keystrokes timed per case."),
                                        QStringLiteral("n"), QStringLiteral("50"));
    const QCommandLineOption browserKeysOption(QStringLiteral("browser-keys"),
                                               QStringLiteral("Keystrokes timed to the preview."),
                                               QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption idleOption(QStringLiteral("idle-seconds"),
                                        QStringLiteral("Seconds of idling measured."),
                                        QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption noBrowserOption(QStringLiteral("no-browser"),
                                             QStringLiteral("Skip the real browser's figures."));
    const QCommandLineOption paceLimitOption(
        QStringLiteral("pace-limit"),
        QStringLiteral("Seconds a human-pace run may take; 0 skips those runs."),
        QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption openOption(QStringLiteral("measure-open"),
                                        QStringLiteral("Internal: measure opening a page."),
                                        QStringLiteral("path"));
    const QCommandLineOption lfOption(QStringLiteral("lf"),
                                      QStringLiteral("Also each generated page with LF breaks."));
    const QCommandLineOption paceOnlyOption(
        QStringLiteral("pace-only"),
        QStringLiteral("Only the human-pace table, on the pages with their scripts as listed "
                       "(removed, kept, or both)."),
        QStringLiteral("scripts"));
    parser.addOptions({sizesOption, keysOption, browserKeysOption, idleOption, noBrowserOption,
                       openOption, lfOption, paceLimitOption, paceOnlyOption});
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("HTML pages to measure."));
    parser.process(app);

    Options options;
    options.keys = std::max(1, parser.value(keysOption).toInt());
    options.browserKeys = std::max(1, parser.value(browserKeysOption).toInt());
    options.burstKeys = options.keys;
    options.idleSeconds = std::max(1, parser.value(idleOption).toInt());
    if (parser.isSet(openOption))
        return measureOpen(parser.value(openOption), options);

    QTemporaryDir folder;
    QList<QPair<QString, QString>> pages; // name, path
    qint64 largest = 0;
    for (const QString &size : parser.value(sizesOption).split(u',', Qt::SkipEmptyParts)) {
        const qint64 bytes = parseSize(size);
        largest = std::max(largest, bytes);
        const QString path = folder.filePath(QStringLiteral("generated-%1.html").arg(bytes));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        const QByteArray page = generatePage(bytes);
        file.write(page);
        pages.append({sizeName(bytes), path});
        if (parser.isSet(lfOption)) {
            QFile lf(folder.filePath(QStringLiteral("generated-%1-lf.html").arg(bytes)));
            if (!lf.open(QIODevice::WriteOnly) || lf.write(withLfBreaks(page)) < 0)
                return 1;
            pages.append({sizeName(bytes) + QStringLiteral(" LF"), lf.fileName()});
        }
    }
    for (const QString &file : parser.positionalArguments())
        pages.append({QFileInfo(file).fileName(), file});

    QTextStream out(stdout);
    if (parser.isSet(paceOnlyOption)) {
        HumanPaceOptions pace{100, 80, parser.value(paceLimitOption).toInt()};
        pace.scripts = parser.value(paceOnlyOption).split(u',', Qt::SkipEmptyParts);
        printHumanPace(pages, folder.path(), pace, out);
        return 0;
    }
    const QStringList headings{QStringLiteral("page"),
                               QStringLiteral("key end med / p95 ms"),
                               QStringLiteral("key in tag med / p95 ms"),
                               QStringLiteral("floor ms"),
                               QStringLiteral("ratio"),
                               QStringLiteral("engine reload ms"),
                               QStringLiteral("key to preview ms"),
                               QStringLiteral("burst lag ms"),
                               QStringLiteral("open ms"),
                               QStringLiteral("open to preview ms"),
                               QStringLiteral("peak RSS MB"),
                               QStringLiteral("idle CPU %")};
    out << QStringLiteral("| ") << headings.join(QStringLiteral(" | ")) << QStringLiteral(" |\n|")
        << QStringLiteral("---|").repeated(headings.size()) << u'\n';
    out.flush();

    for (const auto &[name, path] : pages) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        file.close();
        const QString pageCopy = folder.filePath(QStringLiteral("measured.html"));
        QFile::remove(pageCopy);
        QFile::copy(path, pageCopy);

        Stats atEnd;
        Stats inTag;
        double floor = 0;
        {
            Editor editor(false);
            editor.open(pageCopy);
            const QString &text = editor.form->Text1.Text();
            atEnd = stats(typeAndTime(editor, int(text.size()), options.keys));
            const int tag = int(text.indexOf(QLatin1String("<table"), text.size() / 2));
            inTag = stats(typeAndTime(editor, tag < 0 ? 0 : tag + 3, options.keys));
            floor = floorCost(text, bytes, folder.path(), options.keys);
            editor.messageBox.answers = {MessageBox::No};
            editor.form->exit_Click();
        }
        QFile::remove(pageCopy);
        QFile::copy(path, pageCopy);
        PreviewResult preview;
        QStringList open;
        // The engine needs minutes to load a page of many megabytes even once.
        if (!parser.isSet(noBrowserOption) && bytes.size() < 5000000) {
            preview = measurePreview(pageCopy, options);
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--measure-open"), path, QStringLiteral("--idle-seconds"),
                         QString::number(options.idleSeconds)});
            child.waitForFinished(600000);
            open = QString::fromLatin1(child.readAllStandardOutput()).trimmed().split(u' ');
        }

        const auto pair = [](const Stats &s) {
            return QStringLiteral("%1 / %2").arg(s.median, 0, 'f', 3).arg(s.p95, 0, 'f', 3);
        };
        const auto number = [](double value, int decimals) {
            return value > 0 ? QString::number(value, 'f', decimals) : QStringLiteral("-");
        };
        const QStringList cells{name,
                                pair(atEnd),
                                pair(inTag),
                                number(floor, 3),
                                number(floor > 0 ? atEnd.median / floor : 0, 2),
                                number(preview.engineReload, 1),
                                number(preview.keyToPreview, 1),
                                number(preview.burstLag, 1),
                                open.value(0, QStringLiteral("-")),
                                open.value(1, QStringLiteral("-")),
                                open.value(2, QStringLiteral("-")),
                                open.value(3, QStringLiteral("-"))};
        out << QStringLiteral("| ") << cells.join(QStringLiteral(" | ")) << QStringLiteral(" |\n");
        out.flush();
    }
    printPageFileFigures(pages, folder.path(), std::min(options.keys, 9), out);
    measurePreviewWrite(out, pages, folder.path(), options.keys);
    printHighlightCosts(pages, options.keys, out);
    printCheckCosts(options.keys, out);
    // One-line pages of 1 and 5 MB, typed into the old way too, take minutes: only for a run
    // that asks for pages that large.
    if (largest >= 1000000)
        printLongLineTyping(std::min(options.keys, 20), out);
    if (!parser.isSet(noBrowserOption) && parser.value(paceLimitOption).toInt() > 0) {
        const HumanPaceOptions pace{100, 80, parser.value(paceLimitOption).toInt()};
        printHumanPace(pages, folder.path(), pace, out);
        printCaretFollow(folder.path(), pace, out);
    }
    return 0;
}
