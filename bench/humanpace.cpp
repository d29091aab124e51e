#include "humanpace.h"

#include "pagegenerator.h"
#include "statistics.h"

#include "fakecommondialog.h"
#include "fakemessagebox.h"

#include "app/form1.h"
#include "platform/qtkeysender.h"
#include "preview/engine/webenginebrowser.h"
#include "system/settingsstore.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
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

// Each painted frame whose last node of the body differs from the one before is noted in the
// window's name, which outlives reloads: the time of the frame and the number of measured keys
// it shows. Runs in a script world of its own.
const QString FrameReporter = QStringLiteral(R"(
(function () {
    if (window.velmoraFrames) return;
    window.velmoraFrames = true;
    var last = null;
    function frame(time) {
        var node = document.body && document.body.lastChild;
        var tail = node ? node.textContent.trim() : '';
        var start = tail.lastIndexOf('Q');
        var shown = start < 0 ? -1 : tail.length - start - 1;
        if (shown !== last) {
            last = shown;
            window.name += (performance.timeOrigin + time).toFixed(2) + ' ' + shown + '\n';
        }
        requestAnimationFrame(frame);
    }
    requestAnimationFrame(frame);
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
    double largestStall = 0;
    PreviewUpdater::Counts updates;
};

class Window
{
public:
    explicit Window(const QString &path)
    {
        QWebEngineScript reporter;
        reporter.setSourceCode(FrameReporter);
        reporter.setInjectionPoint(QWebEngineScript::DocumentCreation);
        reporter.setWorldId(QWebEngineScript::UserWorld);
        browser.webView()->page()->scripts().insert(reporter);
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

    bool settled() { return !browser.isLoading() && !form.livePreview.updater().isUpdating(); }
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

    WebEngineBrowser browser;
    FakeMessageBox messageBox;
    FakeCommonDialog dialog;
    QtKeySender keySender;
    QTemporaryDir settingsFolder;
    IniSettingsStore settings{settingsFolder.filePath(QStringLiteral("settings.ini"))};
    Form1 form{Services{messageBox, dialog, browser, keySender, settings}};
};

Run typeAtHumanPace(const QString &path, bool inPlace, const HumanPaceOptions &options)
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
    window.form.Text1.setSelStart(int(window.form.Text1.Text().size()));
    window.type(Start);
    if (!runUntil([&] { return window.settled(); }, deadline))
        return fail();
    window.evaluate(QStringLiteral("window.name = ''"), deadline);
    const PreviewUpdater::Counts before = window.form.livePreview.updater().counts();

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
    const auto frames = [&] {
        QList<QPair<double, int>> shown;
        const QStringList lines =
            window.evaluate(QStringLiteral("window.name"), deadline).split(u'\n');
        for (const QString &line : lines) {
            const QStringList fields = line.split(u' ');
            if (fields.size() == 2)
                shown.append({fields[0].toDouble(), fields[1].toInt()});
        }
        return shown;
    };
    QList<QPair<double, int>> shown;
    const bool finished = runUntil(
        [&] {
            if (keyTimes.size() < options.keys || !window.settled())
                return false;
            shown = frames();
            return !shown.isEmpty() && shown.last().second == options.keys;
        },
        deadline);
    stallWatch.stop();
    keys.stop();
    run.updates = window.form.livePreview.updater().counts();
    run.updates.patches -= before.patches;
    run.updates.reloads -= before.reloads;
    if (!finished)
        return fail();

    QList<bool> seen(options.keys + 1, false);
    QList<double> keyToFrame;
    for (int key = 1; key <= options.keys; ++key) {
        const auto frame = std::find_if(shown.begin(), shown.end(), [&](const auto &f) {
            return f.second >= key && f.first >= keyTimes.at(key - 1);
        });
        if (frame != shown.end())
            keyToFrame.append(frame->first - keyTimes.at(key - 1));
    }
    for (const auto &frame : shown) {
        if (frame.second >= 1 && frame.second <= options.keys)
            seen[frame.second] = true;
    }
    run.keyToFrame = stats(keyToFrame);
    run.statesShown = int(std::count(seen.begin(), seen.end(), true));
    run.lastKeyToFinal = shown.last().first - keyTimes.last();
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

QString cells(const Run &run)
{
    if (run.limitHit)
        return QStringLiteral("> limit | > limit | > limit | > limit | %1 / %2")
            .arg(run.updates.patches)
            .arg(run.updates.reloads);
    return QStringLiteral("%1 / %2 | %3 | %4 | %5 | %6 / %7")
        .arg(run.keyToFrame.median, 0, 'f', 0)
        .arg(run.keyToFrame.p95, 0, 'f', 0)
        .arg(run.statesShown)
        .arg(run.lastKeyToFinal, 0, 'f', 0)
        .arg(run.largestStall, 0, 'f', 0)
        .arg(run.updates.patches)
        .arg(run.updates.reloads);
}
} // namespace

void printHumanPace(const QList<QPair<QString, QString>> &pages, const QString &folder,
                    const HumanPaceOptions &options, QTextStream &out)
{
    // A page this large is only measured without its scripts: loading it takes the engine
    // longer than the limit either way.
    constexpr qint64 LargePage = 5000000;
    out << QStringLiteral("\n%1 keys %2 ms apart; reload: every change reloads; in place: "
                          "updates in place where safe. Key to frame in ms (median / p95), "
                          "states shown of %1, last key to final frame ms, largest GUI stall "
                          "ms, patches / reloads.\n\n")
               .arg(options.keys)
               .arg(options.intervalMs);
    out << QStringLiteral(
               "| page | its scripts | reload: key to frame | states | last key | stall | "
               "updates | in place: key to frame | states | last key | stall | "
               "updates |\n|")
        << QStringLiteral("---|").repeated(12) << u'\n';
    out.flush();
    int n = 0;
    for (const auto &[name, path] : pages) {
        const QString plain = withoutScripts(path, folder, ++n);
        for (const auto &[scripts, page] : {qMakePair(QStringLiteral("removed"), plain),
                                            qMakePair(QStringLiteral("kept"), path)}) {
            if (scripts == QLatin1String("kept") && QFileInfo(page).size() > LargePage)
                continue;
            // The page is copied, so that its preview file is written beside the copy.
            const QString copy = folder + QStringLiteral("/typed.html");
            QFile::remove(copy);
            QFile::copy(page, copy);
            const Run reload = typeAtHumanPace(copy, false, options);
            const Run inPlace = typeAtHumanPace(copy, true, options);
            out << QStringLiteral("| %1 | %2 | %3 | %4 |\n")
                       .arg(name, scripts, cells(reload), cells(inPlace));
            out.flush();
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
