#include "longlines.h"

#include "benchwindow.h"
#include "pagegenerator.h"

#include "editor/longlines.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>

namespace {
struct Window : BenchWindow<>
{
    Window(const QString &page, bool inPieces)
        : inPieces(inPieces)
    {
        LongLines::setEnabled(inPieces);
        dialog.files.append(page);
        form.Form_Load();
        (void)QTest::qWaitForWindowExposed(form.window.window());
        form.Text1.SetFocus();
        form.Text1.setSelStart(int(form.Text1.Text().size() / 2));
        // The first change after opening loads the preview afresh, whatever the line: it is
        // not timed.
        QTest::keyClick(form.Text1.editor(), 'Q');
        QCoreApplication::processEvents();
    }

    ~Window()
    {
        messageBox.answers = {MessageBox::No};
        form.exit_Click();
    }

    // Milliseconds until the key is handled and the editor repainted.
    double key(char c)
    {
        LongLines::setEnabled(inPieces);
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(form.Text1.editor(), c);
        form.Text1.editor()->viewport()->repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
        return ms;
    }

    bool inPieces;
};

QString medianAndMax(QList<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return QStringLiteral("%1 / %2")
        .arg(samples.at(samples.size() / 2), 0, 'f', 1)
        .arg(samples.last(), 0, 'f', 1);
}
} // namespace

void printLongLineTyping(int keys, QTextStream &out)
{
    out << QStringLiteral("\n| one-line page | whole line med / max ms | in pieces med / max ms "
                          "| ratio |\n|---|---|---|---|\n");
    out.flush();
    QTemporaryDir folder;
    for (const int megabytes : {1, 5}) {
        QByteArray page = generatePage(megabytes * 1000000);
        page.replace("\r\n", "");
        const QString path = folder.filePath(QStringLiteral("oneline-%1.html").arg(megabytes));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(page + "\r\n") < 0)
            return;
        file.close();
        QList<double> samples[2];
        // One window after the other: with both open, a key in one also paid for what the other
        // had left to do (seconds a key at 5 MB), and the page, locked by the first, did not open
        // in the second.
        for (const bool inPieces : {false, true}) {
            Window window(path, inPieces);
            for (int i = 0; i < keys; ++i)
                samples[inPieces].append(window.key(char('a' + i % 26)));
        }
        LongLines::setEnabled(true);
        std::sort(samples[0].begin(), samples[0].end());
        std::sort(samples[1].begin(), samples[1].end());
        out << QStringLiteral("| %1 MB | %2 | %3 | %4 |\n")
                   .arg(megabytes)
                   .arg(medianAndMax(samples[0]), medianAndMax(samples[1]))
                   .arg(samples[0].at(keys / 2) / samples[1].at(keys / 2), 0, 'f', 1);
        out.flush();
    }
}
