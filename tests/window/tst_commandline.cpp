#include "doubles/testwindow.h"

#include "app/commandline.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {
const QString Suffix = QStringLiteral("_VLM_temp.html");

// The files of the folder, sorted, with the folders marked by a slash.
QStringList filesIn(const QString &folder)
{
    QStringList names;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries)
        names += entry.fileName() + (entry.isDir() ? QStringLiteral("/") : QString());
    return names;
}
} // namespace

// A page named on the command line opens at start-up as if chosen in the first open dialog;
// help, version and mistakes end the program before any window, also without a display.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
    void endsBeforeTheWindow_data();
    void endsBeforeTheWindow();
};

void TestCommandLine::startUp_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("files"); // made before start-up, "name=content"
    QTest::addColumn<QString>("told");      // the beginning of the one message; "{}" the folder
    QTest::addColumn<int>("dialogs");       // each answered "chosen.html"
    QTest::addColumn<QString>("page");      // relative to the folder; empty when the program ended
    QTest::addColumn<QString>("editor");

    const QString chosen = QStringLiteral("chosen.html=chosen\r\n");
    QTest::addRow("existing page, relative path")
        << QStringLiteral("sub/../page.html")
        << QStringList{QStringLiteral("sub/"), QStringLiteral("page.html=a\rb")} << QString() << 0
        << QStringLiteral("page.html") << QStringLiteral("a\r\nb\r\n");
    QTest::addRow("unreadable page: told, then the dialog asks")
        << QStringLiteral("site.htm") << QStringList{QStringLiteral("site.htm/"), chosen}
        << QStringLiteral("Cannot open {}/site.htm:\r\n") << 1 << QStringLiteral("chosen.html")
        << QStringLiteral("chosen\r\n");
    QTest::addRow("preview file's name, dialog cancelled: the program ends")
        << QStringLiteral("x.html_VLM_temp.html") << QStringList()
        << QStringLiteral("This is the temp file for VLM,Select another!") << 1 << QString()
        << QString();
}

void TestCommandLine::startUp()
{
    QFETCH(QString, argument);
    QFETCH(QStringList, files);
    QFETCH(QString, told);
    QFETCH(int, dialogs);
    QFETCH(QString, page);
    QFETCH(QString, editor);

    TestWindow tw;
    const QString folder = tw.folder.path();
    for (const QString &file : std::as_const(files)) {
        if (file.endsWith(u'/'))
            QVERIFY(QDir(folder).mkpath(file));
        else
            tw.writeFile(tw.folder.filePath(file.section(u'=', 0, 0)),
                         file.section(u'=', 1).toUtf8());
    }
    const QStringList before = filesIn(folder);
    if (!page.isEmpty())
        tw.dialog.files.append(tw.folder.filePath(QStringLiteral("chosen.html")));

    const QString working = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder));
    const CommandLine parsed({QStringLiteral("velmora"), argument});
    QDir::setCurrent(working);
    QCOMPARE(parsed.request(), CommandLine::Request::Start);

    Form1 &form = *tw.form;
    form.Form_Load(parsed.page());
    QCOMPARE(tw.dialog.shownTitles.size(), dialogs);
    QCOMPARE(tw.messageBox.shown.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY(tw.messageBox.shown.constFirst().prompt.startsWith(
            QString(told).replace(QStringLiteral("{}"), folder)));
    QCOMPARE(form.hasEnded(), page.isEmpty());
    QStringList after = before;
    if (!page.isEmpty()) {
        const QString path = tw.folder.filePath(page);
        QCOMPARE(form.Text1.Text(), editor);
        QCOMPARE(form.window.Caption(), path + QStringLiteral(" -- Velmora"));
        QCOMPARE(TestWindow::bytesOf(path + Suffix), editor.toUtf8() + "\r\n");
        QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + path + Suffix);
        after.append(page + Suffix);
        after.sort();
    }
    QCOMPARE(filesIn(folder), after);
}

void TestCommandLine::endsBeforeTheWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");

    const QString tryHelp = QStringLiteral("Try 'velmora --help' for more information.\n");
    const auto row = [&](const char *name, const QString &arguments, int exitStatus,
                         const QString &output, const char *error) {
        QTest::addRow("%s", name) << arguments.split(u',') << exitStatus << output
                                  << (*error ? QStringLiteral("velmora: ") +
                                                   QString::fromUtf8(error) + u'\n' + tryHelp
                                             : QString());
    };
    row("version", QStringLiteral("--version"), 0, QStringLiteral("Velmora " VELMORA_VERSION "\n"),
        "");
    row("help", QStringLiteral("--help"), 0, QStringLiteral("[options] [page]"), "");
    row("unknown option", QStringLiteral("--bogus,a.html"), 2, QString(),
        "Unknown option 'bogus'.");
    row("unknown option, after a window-system one", QStringLiteral("-style,Fusion,--bogus"), 2,
        QString(), "Unknown option 'bogus'.");
    row("two pages", QStringLiteral("a.html,b.html"), 2, QString(),
        "Only one page can be opened at a time; 2 were named.");
    row("empty name", QString(), 2, QString(), "The name of the page is empty.");
}

// Run without a display: the program's own answers need none.
void TestCommandLine::endsBeforeTheWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QString, output);
    QFETCH(QString, errors);

    QTemporaryDir folder;
    QProcess velmora;
    velmora.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path()); // no warning about it
    velmora.setProcessEnvironment(environment);
    velmora.start(QStringLiteral(VELMORA_EXECUTABLE), arguments);
    QVERIFY(velmora.waitForFinished(60000));
    QCOMPARE(velmora.exitStatus(), QProcess::NormalExit);
    QCOMPARE(velmora.exitCode(), exitStatus);
    const QString printed = QString::fromLocal8Bit(velmora.readAllStandardOutput());
    QVERIFY2(output.isEmpty() ? printed.isEmpty() : printed.contains(output), qPrintable(printed));
    QCOMPARE(QString::fromLocal8Bit(velmora.readAllStandardError()), errors);
    QCOMPARE(filesIn(folder.path()), QStringList());
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
