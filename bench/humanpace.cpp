#include "humanpace.h"

#include "pagegenerator.h"
#include "statistics.h"

#include "benchwindow.h"

#include "preview/engine/webenginebrowser.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace {
// What is typed before the measured keys: it also brings the preview from the file the open
// command wrote to the one every change writes.
const QChar Start = u'Q';

// The keys are typed into an element of the benchmark's own, put into the page first: after its
// "Q", whatever the page holds around it.
const QString Marker = QStringLiteral("<b id=\"vlm-typed\">Q</b>");

// Each frame that shows a different number of keys in the marker is noted in the window's
// name, which outlives reloads: the time the frame was painted (the first task after its
// animation frame) and the number of measured keys it shows. Runs in a script world of its own.
const QString FrameReporter = QStringLiteral(R"(
(function () {
    if (window.velmoraFrames) return;
    window.velmoraFrames = true;
    var last = null, painted = new MessageChannel();
    painted.port1.onmessage = function (event) {
        window.name += (performance.timeOrigin + performance.now()).toFixed(2) + ' ' +
            event.data + '\n';
    };
    function frame() {
        var node = document.getElementById('vlm-typed');
        var shown = node ? node.textContent.length - 1 : -1;
        if (shown !== last) {
            last = shown;
            painted.port2.postMessage(shown);
        }
        requestAnimationFrame(frame);
    }
    requestAnimationFrame(frame);
})();
)");

// The floor: the marker replaced by a copy of itself with one more character, parsed by
// createContextualFragment, until that frame is painted; in ms, in `window.vlmFloor`.
const QString FloorChange = QStringLiteral(R"(
(function () {
    window.vlmFloor = -1;
    var node = document.getElementById('vlm-typed');
    if (!node) return;
    var start = performance.now();
    node.parentNode.replaceChild(document.createRange().createContextualFragment(
        '<b id="vlm-typed">' + node.textContent + 'x</b>'), node);
    requestAnimationFrame(function () {
        var painted = new MessageChannel();
        painted.port1.onmessage = function () { window.vlmFloor = performance.now() - start; };
        painted.port2.postMessage(0);
    });
})();
)");

double now()
{
    using namespace std::chrono;
    return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

bool runUntil(const std::function<bool()> &done, const QDeadlineTimer &deadline)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    poll.start(2);
    if (!done())
        loop.exec();
    return done();
}

struct Run
{
    bool limitHit = false;
    Stats keyToFrame;
    int statesShown = 0;
    double lastKeyToFinal = -1;
    // Until nothing is due any more: for a page with scripts, its fresh load is shown.
    double lastKeyToRest = -1;
    double largestStall = 0;
    PreviewUpdater::Counts updates;
    // Medians of the updates made in place: change found, parse, compare, layout and paint.
    double change = -1, parse = -1, compare = -1, frame = -1;
    double floor = -1;
    double memoryOpened = -1, memoryAfter = -1;
};

// Where the marker goes: at the end of the body, or in its middle, after a paragraph's tag.
qsizetype markerPlace(const QString &text, bool middle)
{
    const qsizetype bodyEnd = text.lastIndexOf(QLatin1String("</body"), -1, Qt::CaseInsensitive);
    const qsizetype end = bodyEnd < 0 ? text.size() : bodyEnd;
    if (!middle)
        return end;
    const qsizetype paragraph = text.indexOf(QLatin1String("<p"), end / 2, Qt::CaseInsensitive);
    const qsizetype tagEnd = paragraph < 0 ? -1 : text.indexOf(u'>', paragraph);
    return tagEnd < 0 || tagEnd >= end ? end : tagEnd + 1;
}

class Window : public BenchWindow<WebEngineBrowser>
{
public:
    explicit Window(const QString &path)
    {
        QWebEngineScript reporter;
        reporter.setSourceCode(FrameReporter);
        // From the end of parsing on: a frame asked for at every frame while a page of megabytes
        // is parsed has the engine lay out each part parsed (a load of 1 MB took 2.2 s instead
        // of 1.5 s), and a page loading is not shown before its end anyway.
        reporter.setInjectionPoint(QWebEngineScript::DocumentReady);
        reporter.setWorldId(QWebEngineScript::UserWorld);
        // Both pages: every load goes into the one underneath.
        browser.webView()->page()->scripts().insert(reporter);
        browser.loadingView()->page()->scripts().insert(reporter);
        dialog.files.append(path);
        form.Form_Load();
        (void)QTest::qWaitForWindowExposed(form.window.window());
        form.Text1.SetFocus();
    }
    ~Window()
    {
        messageBox.answers = {MessageBox::No};
        form.exit_Click();
    }

    bool settled()
    {
        const PreviewUpdater &updater = form.livePreview.updater();
        return !browser.isLoading() && !updater.isUpdating() && !updater.isPriming() &&
               !updater.restDue();
    }
    // The resident memory of the page's renderer process, in MB.
    double rendererMemory() const
    {
        QFile status(
            QStringLiteral("/proc/%1/status").arg(browser.webView()->page()->renderProcessPid()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
        }
        return -1;
    }
    // The answer may come after the deadline, when nobody waits for it any more.
    QString evaluate(const QString &script, const QDeadlineTimer &deadline)
    {
        const auto result = std::make_shared<std::optional<QString>>();
        browser.webView()->page()->runJavaScript(
            script, [result](const QVariant &value) { *result = value.toString(); });
        runUntil([&] { return result->has_value(); }, deadline);
        return result->value_or(QString());
    }
    void type(QChar c) { QTest::keyClick(form.Text1.editor(), c.toLatin1()); }
};

Run typeAtHumanPace(const QString &path, bool inPlace, bool middle, const HumanPaceOptions &options)
{
    const QDeadlineTimer deadline(options.limitSeconds * 1000);
    Run run;
    Window window(path);
    window.form.livePreview.updater().setInPlace(inPlace);
    const auto fail = [&] {
        run.limitHit = true;
        return run;
    };
    if (!runUntil([&] { return window.settled(); }, deadline))
        return fail();
    const qsizetype at = markerPlace(window.form.Text1.Text(), middle);
    window.form.Text1.setSelStart(int(at));
    window.form.Text1.setSelText(Marker);
    window.form.Text1.setSelStart(int(at + Marker.indexOf(Start) + 1));
    if (!runUntil([&] { return window.settled(); }, deadline))
        return fail();
    run.memoryOpened = window.rendererMemory();
    window.evaluate(QStringLiteral("window.name = ''"), deadline);
    PreviewUpdater &updater = window.form.livePreview.updater();
    const PreviewUpdater::Counts before = updater.counts();
    QList<PreviewUpdater::Timing> timings;
    QList<double> patchEnds;
    updater.onPatched([&](const PreviewUpdater::Timing &timing) {
        timings.append(timing);
        patchEnds.append(now());
    });

    // Keys come from a timer, as from a person; a second timer notes how late the GUI
    // thread gets to it.
    QList<double> keyTimes;
    QElapsedTimer sinceTick;
    QTimer stallWatch;
    QObject::connect(&stallWatch, &QTimer::timeout, [&] {
        run.largestStall = std::max(run.largestStall, double(sinceTick.restart()));
    });
    QTimer keys;
    keys.setTimerType(Qt::PreciseTimer);
    QObject::connect(&keys, &QTimer::timeout, [&] {
        keyTimes.append(now());
        window.type(QChar(char16_t(u'a' + keyTimes.size() % 26)));
        if (keyTimes.size() == options.keys)
            keys.stop();
    });
    sinceTick.start();
    stallWatch.start(1);
    keys.start(options.intervalMs);
    // The frames are collected from the page shown as they come: a load of a page with scripts
    // goes into the other page, and what the first one noted would be lost with it. A frame that
    // page painted while underneath is seen when it is shown.
    const auto shown = std::make_shared<QList<QPair<double, int>>>();
    QWebEngineView *showing = nullptr;
    double shownSince = 0;
    const auto collect = [&] {
        QWebEngineView *view = window.browser.webView();
        if (view != showing) {
            showing = view;
            shownSince = now();
        }
        view->page()->runJavaScript(
            QStringLiteral("(function () { var n = window.name; window.name = ''; return n; })()"),
            [shown, since = shownSince](const QVariant &names) {
                for (const QString &line : names.toString().split(u'\n')) {
                    const QStringList fields = line.split(u' ');
                    if (fields.size() == 2)
                        shown->append({std::max(since, fields[0].toDouble()), fields[1].toInt()});
                }
            });
    };
    QTimer collector;
    QObject::connect(&collector, &QTimer::timeout, collect);
    collector.start(50);
    double restAt = -1;
    const bool finished = runUntil(
        [&] {
            if (keyTimes.size() < options.keys)
                return false;
            if (!window.settled()) {
                restAt = -1;
                return false;
            }
            if (restAt < 0)
                restAt = now();
            if (shown->isEmpty())
                return false;
            std::sort(shown->begin(), shown->end());
            return shown->last().second == options.keys;
        },
        deadline);
    collector.stop();
    stallWatch.stop();
    keys.stop();
    updater.onPatched(nullptr);
    run.updates = updater.counts();
    run.updates.patches -= before.patches;
    run.updates.parts -= before.parts;
    run.updates.reloads -= before.reloads;
    if (!finished)
        return fail();
    // Answers still on their way are left out.
    const QList<QPair<double, int>> frames = *shown;
    run.memoryAfter = window.rendererMemory();

    QList<double> change, parse, compare, frame;
    for (int i = 0; i < timings.size(); ++i) {
        change.append(timings[i].change);
        parse.append(timings[i].parse);
        compare.append(timings[i].compare);
        const auto painted = std::find_if(frames.begin(), frames.end(),
                                          [&](const auto &f) { return f.first >= patchEnds[i]; });
        if (painted != frames.end())
            frame.append(painted->first - patchEnds[i]);
    }
    run.change = stats(change).median;
    run.parse = stats(parse).median;
    run.compare = stats(compare).median;
    run.frame = stats(frame).median;
    QList<double> floors;
    for (int i = 0; i < 10 && !deadline.hasExpired(); ++i) {
        window.evaluate(FloorChange, deadline);
        double floor = -1;
        runUntil(
            [&] {
                floor = window.evaluate(QStringLiteral("window.vlmFloor"), deadline).toDouble();
                return floor > 0;
            },
            deadline);
        if (floor > 0)
            floors.append(floor);
    }
    run.floor = stats(floors).median;

    QList<bool> seen(options.keys + 1, false);
    QList<double> keyToFrame;
    for (int key = 1; key <= options.keys; ++key) {
        const auto frame = std::find_if(frames.begin(), frames.end(), [&](const auto &f) {
            return f.second >= key && f.first >= keyTimes.at(key - 1);
        });
        if (frame != frames.end())
            keyToFrame.append(frame->first - keyTimes.at(key - 1));
    }
    for (const auto &frame : frames) {
        if (frame.second >= 1 && frame.second <= options.keys)
            seen[frame.second] = true;
    }
    run.keyToFrame = stats(keyToFrame);
    run.statesShown = int(std::count(seen.begin(), seen.end(), true));
    run.lastKeyToFinal = frames.last().first - keyTimes.last();
    run.lastKeyToRest = restAt - keyTimes.last();
    return run;
}

QString withoutScripts(const QString &path, const QString &folder, int n)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    QByteArray bytes = in.readAll();
    static const QRegularExpression script(
        QStringLiteral("<script\\b.*?</script\\s*>|\\son[a-z]+\\s*=\\s*(\"[^\"]*\"|'[^']*')"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    bytes = QString::fromLatin1(bytes).remove(script).toLatin1();
    const QString out = folder + QStringLiteral("/plain-%1.html").arg(n);
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(bytes);
    return out;
}

QString figure(double value, int decimals = 0)
{
    return value < 0 ? QStringLiteral("-") : QString::number(value, 'f', decimals);
}

QString cells(const Run &run)
{
    const QString updates = QStringLiteral("%1 / %2 / %3")
                                .arg(run.updates.patches)
                                .arg(run.updates.parts)
                                .arg(run.updates.reloads);
    if (run.limitHit)
        return QStringLiteral("> limit | - | > limit | > limit | > limit | > limit | %1 | - | - "
                              "| %2 / -")
            .arg(updates, figure(run.memoryOpened));
    return QStringLiteral("%1 / %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 / %10 / %11 / %12 | %13 | "
                          "%14 / %15")
        .arg(figure(run.keyToFrame.median), figure(run.keyToFrame.p95),
             figure(run.floor > 0 ? run.keyToFrame.median / run.floor : -1, 2),
             QString::number(run.statesShown), figure(run.lastKeyToFinal),
             figure(run.lastKeyToRest), figure(run.largestStall), updates, figure(run.change, 2))
        .arg(figure(run.parse, 1), figure(run.compare, 1), figure(run.frame), figure(run.floor),
             figure(run.memoryOpened), figure(run.memoryAfter));
}
} // namespace

void printHumanPace(const QList<QPair<QString, QString>> &pages, const QString &folder,
                    const HumanPaceOptions &options, QTextStream &out)
{
    // A page this large is only measured without its scripts: loading it takes the engine
    // longer than the limit either way.
    constexpr qint64 LargePage = 5000000;
    out << QStringLiteral(
               "\n%1 keys %2 ms apart, typed at the end or in the middle of the body; "
               "reload: every change reloads; in place: updates in place, loads "
               "where needed. Key to frame in ms (median / p95), and its median "
               "against the floor (a one-element change's frame on the same page), "
               "states shown of %1, last key to final frame ms, last key to rest (nothing "
               "due, a page with scripts loaded afresh and shown) ms, largest GUI stall "
               "ms, updates in place / of them by part / loads, medians of the "
               "updates in place: change found / parse / compare / layout and "
               "paint ms, floor ms, renderer memory after opening / after the run "
               "MB.\n\n")
               .arg(options.keys)
               .arg(options.intervalMs);
    out << QStringLiteral("| page | its scripts | typed at | preview | key to frame | x floor | "
                          "states | last key | at rest | stall | updates | change / parse / "
                          "compare / frame | floor | renderer MB |\n|")
        << QStringLiteral("---|").repeated(14) << u'\n';
    out.flush();
    int n = 0;
    for (const auto &[name, path] : pages) {
        const QString plain = withoutScripts(path, folder, ++n);
        for (const auto &[scripts, page] : {qMakePair(QStringLiteral("removed"), plain),
                                            qMakePair(QStringLiteral("kept"), path)}) {
            if (!options.scripts.contains(scripts) ||
                (scripts == QLatin1String("kept") && QFileInfo(page).size() > LargePage))
                continue;
            // The page is copied, so that its preview file is written beside the copy.
            const QString copy = folder + QStringLiteral("/typed.html");
            // Reload-only beside the new path, typed in the middle; the end in place only, to
            // keep the run within its time.
            for (const auto &[where, inPlace] : {qMakePair(QStringLiteral("middle"), false),
                                                 qMakePair(QStringLiteral("middle"), true),
                                                 qMakePair(QStringLiteral("end"), true)}) {
                QFile::remove(copy);
                QFile::copy(page, copy);
                const Run run =
                    typeAtHumanPace(copy, inPlace, where == QLatin1String("middle"), options);
                out << QStringLiteral("| %1 | %2 | %3 | %4 | %5 |\n")
                           .arg(name, scripts, where,
                                inPlace ? QStringLiteral("in place") : QStringLiteral("reload"),
                                cells(run));
                out.flush();
            }
        }
    }
}

void printCaretFollow(const QString &folder, const HumanPaceOptions &options, QTextStream &out)
{
    const QString generated = folder + QStringLiteral("/caret-100k.html");
    QFile file(generated);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(generatePage(100000));
    file.close();
    const QString plain = withoutScripts(generated, folder, 0);

    out << QStringLiteral(
        "\nCaret moved by Ctrl+End / Ctrl+Home on a 100 KB page until the "
        "preview has scrolled its element into view, ms (median / p95 of 10)"
        ".\n\n| page | its scripts | caret to element in view |\n|---|---|---|\n");
    for (const auto &[scripts, page] : {qMakePair(QStringLiteral("removed"), plain),
                                        qMakePair(QStringLiteral("kept"), generated)}) {
        const QString copy = folder + QStringLiteral("/caret.html");
        QFile::remove(copy);
        QFile::copy(page, copy);
        const QDeadlineTimer deadline(options.limitSeconds * 1000);
        Window window(copy);
        QList<double> samples;
        QString result;
        window.form.livePreview.caretFollower().onFollowed(
            [&](const QString &found) { result = found; });
        if (runUntil([&] { return window.settled(); }, deadline)) {
            window.form.Text1.setSelStart(int(window.form.Text1.Text().size()));
            window.type(Start);
            runUntil([&] { return window.settled(); }, deadline);
            for (int i = 0; i < 10 && !deadline.hasExpired(); ++i) {
                result.clear();
                const double start = now();
                QTest::keyClick(window.form.Text1.editor(), i % 2 ? Qt::Key_Home : Qt::Key_End,
                                Qt::ControlModifier);
                if (runUntil([&] { return !result.isEmpty(); }, deadline) &&
                    result == QLatin1String("scrolled"))
                    samples.append(now() - start);
            }
        }
        const Stats figures = stats(samples);
        out << QStringLiteral("| 100 KB | %1 | %2 |\n")
                   .arg(scripts, samples.size() == 10 ? QStringLiteral("%1 / %2")
                                                            .arg(figures.median, 0, 'f', 1)
                                                            .arg(figures.p95, 0, 'f', 1)
                                                      : QStringLiteral("> limit"));
        out.flush();
    }
}
