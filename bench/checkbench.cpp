#include "checkbench.h"

#include "benchwindow.h"
#include "pagegenerator.h"
#include "statistics.h"

#include "check/problems.h"
#include "check/spelling.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {
double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// The longest gap between turns of the event loop during `ms` milliseconds: how long the
// window could not answer.
double longestStall(int ms)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return longest / 1e6;
}

// After each key, the typing pause passes and the checks run and come back; the key's own
// handling is not counted, only what the window's thread does meanwhile.
double stallWhileChecking(const QByteArray &page, int keys)
{
    BenchWindow<> window;
    Form1 &form = window.form;
    const QString path = window.folder.filePath(QStringLiteral("page.html"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(page) < 0)
        return 0;
    file.close();
    form.Form_Load(path);
    (void)QTest::qWaitForWindowExposed(form.window.window());
    form.Text1.SetFocus();
    form.Text1.setSelStart(int(form.Text1.Text().size()) / 2);
    double longest = 0;
    for (int i = 0; i < keys; ++i) {
        QTest::keyClick(form.Text1.editor(), char('a' + i % 26));
        longestStall(200); // the key's own work, before the typing pause is over
        longest = std::max(longest, longestStall(1500));
    }
    window.messageBox.answers = {MessageBox::No};
    form.exit_Click();
    return longest;
}
} // namespace

void printCheckCosts(int keys, QTextStream &out)
{
    out << QStringLiteral(
        "\n| page | problems after a change med ms | spelling first / again ms | problems "
        "found | window thread's longest stall while checking ms |\n"
        "|---|---|---|---|---|\n");
    const auto dictionary = Spelling::Dictionary::forLanguage(QStringLiteral("en-US"), QString());
    for (const qint64 bytes : {qint64(100) * 1024, qint64(1024) * 1024}) {
        const QByteArray page = generatePage(bytes);
        const QString text = QString::fromUtf8(page);
        QList<double> problems;
        QList<double> spelling;
        qsizetype found = 0;
        for (int i = 0; i < 3; ++i) {
            problems.append(timed([&] { found = Problems::find(text, QString()).size(); }));
            if (dictionary) // the first run looks every word up, later ones remember them
                spelling.append(timed([&] { dictionary->misspelt(text); }));
        }
        const double stall = stallWhileChecking(page, std::clamp(keys / 10, 2, 5));
        out << QStringLiteral("| %1 KB | %2 | %3 / %4 | %5 | %6 |\n")
                   .arg(bytes / 1024)
                   .arg(stats(problems).median, 0, 'f', 1)
                   .arg(spelling.value(0), 0, 'f', 1)
                   .arg(spelling.value(1), 0, 'f', 1)
                   .arg(found)
                   .arg(stall, 0, 'f', 1);
        out.flush();
    }
}
