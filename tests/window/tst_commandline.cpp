#include "doubles/testwindow.h"

#include "app/commandline.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {
const QString Suffix = QStringLiteral("_VLM_temp.html");
const QString NewPage =
    QStringLiteral("<HTML>\r\n<HEAD>\r\n   <TITLE></TITLE>\r\n</head>\r\n<BODY>\r\n\r\n\r\n"
                   "</BODY>\r\n</HTML>") +
    QStringLiteral("\r\n").repeated(6);
const QString NewPageTold = QString(10, u' ') + QStringLiteral("New    File !") + QString(10, u' ');

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
// help, version and mistakes end the program before any window.
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
    QTest::addColumn<QStringList>("arguments"); // "{}" stands for the folder of the test
    QTest::addColumn<QStringList>("files");     // made before start-up, "name=content"
    QTest::addColumn<QStringList>("dialogAnswers");
    QTest::addColumn<QStringList>("told"); // the beginnings of the messages, in order
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QString>("page"); // relative to the folder; empty when the program ended
    QTest::addColumn<QString>("editor");

    const QStringList chosen{QStringLiteral("chosen.html=chosen\r\n")};
    const QStringList none;
    QTest::addRow("no argument: the dialog asks")
        << none << chosen << QStringList{QStringLiteral("chosen.html")} << none << 1
        << QStringLiteral("chosen.html") << QStringLiteral("chosen\r\n");
    QTest::addRow("existing page, full path")
        << QStringList{QStringLiteral("{}/page.htm")}
        << QStringList{QStringLiteral("page.htm=<p>hi</p>\r\n")} << none << none << 0
        << QStringLiteral("page.htm") << QStringLiteral("<p>hi</p>\r\n");
    QTest::addRow("existing page, relative path")
        << QStringList{QStringLiteral("sub/../page.html")}
        << QStringList{QStringLiteral("sub/"), QStringLiteral("page.html=a\rb")} << none << none
        << 0 << QStringLiteral("page.html") << QStringLiteral("a\r\nb\r\n");
    QTest::addRow("new name without .htm")
        << QStringList{QStringLiteral("fresh")} << none << none << QStringList{NewPageTold} << 0
        << QStringLiteral("fresh.html") << NewPage;
    QTest::addRow("unreadable page: told, then the dialog asks")
        << QStringList{QStringLiteral("site.htm")}
        << (QStringList{QStringLiteral("site.htm/")} + chosen)
        << QStringList{QStringLiteral("chosen.html")}
        << QStringList{QStringLiteral("Cannot open {}/site.htm:\r\n")} << 1
        << QStringLiteral("chosen.html") << QStringLiteral("chosen\r\n");
    QTest::addRow("preview file's name, dialog cancelled: the program ends")
        << QStringList{QStringLiteral("x.html_VLM_temp.html")} << none << none
        << QStringList{QStringLiteral("This is the temp file for VLM,Select another!")} << 1
        << QString() << QString();
}

void TestCommandLine::startUp()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, files);
    QFETCH(QStringList, dialogAnswers);
    QFETCH(QStringList, told);
    QFETCH(int, dialogs);
    QFETCH(QString, page);
    QFETCH(QString, editor);

    TestWindow tw;
    const QString folder = tw.folder.path();
    const auto inFolder = [&](QString text) { return text.replace(QStringLiteral("{}"), folder); };
    for (const QString &file : std::as_const(files)) {
        if (file.endsWith(u'/'))
            QVERIFY(QDir(folder).mkpath(file));
        else
            tw.writeFile(tw.folder.filePath(file.section(u'=', 0, 0)),
                         file.section(u'=', 1).toUtf8());
    }
    const QStringList before = filesIn(folder);
    for (const QString &answer : std::as_const(dialogAnswers))
        tw.dialog.files.append(tw.folder.filePath(answer));

    const QString working = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder));
    QStringList commandLine{QStringLiteral("velmora")};
    for (const QString &argument : std::as_const(arguments))
        commandLine += inFolder(argument);
    const CommandLine parsed(commandLine);
    QDir::setCurrent(working);
    QCOMPARE(parsed.request(), CommandLine::Request::Start);

    Form1 &form = *tw.form;
    form.Form_Load(parsed.page());
    QCOMPARE(tw.dialog.shownTitles.size(), dialogs);
    QCOMPARE(tw.messageBox.shown.size(), told.size());
    for (int i = 0; i < told.size(); ++i)
        QVERIFY2(tw.messageBox.shown.at(i).prompt.startsWith(inFolder(told.at(i))),
                 qPrintable(tw.messageBox.shown.at(i).prompt));

    if (page.isEmpty()) {
        QVERIFY(form.hasEnded());
        QCOMPARE(form.window.Caption(), QStringLiteral("Velmora"));
        QCOMPARE(filesIn(folder), before);
        return;
    }
    QVERIFY(!form.hasEnded());
    const QString path = tw.folder.filePath(page);
    QCOMPARE(form.Text1.Text(), editor);
    QCOMPARE(form.window.Caption(), path + QStringLiteral(" -- Velmora"));
    QCOMPARE(form.page.editingfile, path);
    QCOMPARE(form.page.ischanged, qint16(0));
    QCOMPARE(TestWindow::bytesOf(path + Suffix), editor.toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + path + Suffix);
    QStringList after = before;
    after.append(page + Suffix);
    after.sort();
    QCOMPARE(filesIn(folder), after);
}

void TestCommandLine::endsBeforeTheWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");

    const QString tryHelp = QStringLiteral("Try 'velmora --help' for more information.\n");
    QTest::addRow("version") << QStringList{QStringLiteral("--version")} << 0
                             << QStringLiteral("Velmora " VELMORA_VERSION "\n") << QString();
    QTest::addRow("help") << QStringList{QStringLiteral("--help")} << 0
                          << QStringLiteral("[options] [page]") << QString();
    QTest::addRow("unknown option")
        << QStringList{QStringLiteral("--bogus"), QStringLiteral("a.html")} << 2 << QString()
        << QStringLiteral("velmora: Unknown option 'bogus'.\n") + tryHelp;
    QTest::addRow("two pages") << QStringList{QStringLiteral("a.html"), QStringLiteral("b.html")}
                               << 2 << QString()
                               << QStringLiteral("velmora: Only one page can be opened at a "
                                                 "time; 2 were named.\n") +
                                      tryHelp;
    QTest::addRow("empty name") << QStringList{QString()} << 2 << QString()
                                << QStringLiteral("velmora: The name of the page is empty.\n") +
                                       tryHelp;
}

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
