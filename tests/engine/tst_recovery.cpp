#include "documents/recovery.h"
#include "doubles/testwindow.h"
#include "preview/engine/webenginebrowser.h"
#include "system/terminationsignals.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

#include <sys/stat.h>

#include <csignal>
#include <cstdio>

// What the preview file keeps when the program dies, and what the next open makes of it.
class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void recovered_data();
    void recovered();
    void notOffered_data();
    void notOffered();
    void killedWhileTyping_data();
    void killedWhileTyping();
    void pipeAtThePreviewsPlace();
};

namespace {
const QString Suffix = QStringLiteral("_VLM_temp.html");
const QString ChildVariable = QStringLiteral("VELMORA_TYPING_INTO");

QStringList prompts(const TestWindow &tw)
{
    QStringList shown;
    for (const FakeMessageBox::Shown &box : tw.messageBox.shown)
        shown.append(box.prompt);
    return shown;
}

// The window goes as a crash leaves it: no quitting, no close handler.
void crash(TestWindow &tw)
{
    tw.form.reset();
}

// A second window opens the page of the first, answering the recovery offer.
void reopen(TestWindow &tw, const QString &page, MessageBox::Result answer)
{
    tw.messageBox.answers = {answer};
    tw.dialog.files = {page};
    tw.load();
}

// The child of killedWhileTyping, built as the program is: types letters at the start of the
// page, telling the parent each time, until it is killed.
int typeUntilKilled(const QString &page)
{
    const TerminationSignals terminationSignals;
    WebEngineBrowser browser;
    TestWindow tw(&browser);
    tw.dialog.files = {page};
    tw.load();
    for (int typed = 1;; ++typed) {
        tw.type(QString(QChar(u'a' + typed % 26)));
        std::printf("%d\n", typed);
        std::fflush(stdout);
        QCoreApplication::processEvents();
    }
}
} // namespace

void TestRecovery::recovered_data()
{
    QTest::addColumn<QByteArray>("page"); // a null page does not exist
    QTest::addColumn<bool>("cleared");    // all the text deleted before typing
    QTest::addColumn<QString>("typed");   // at the start
    QTest::addColumn<QByteArray>("saved");

    const auto row = [](const char *name, const QByteArray &page, bool cleared,
                        const QString &typed, const QByteArray &saved) {
        QTest::addRow("%s", name) << page << cleared << typed << saved;
    };
    row("ascii", "<p>a</p>\r\n", false, QStringLiteral("b"), "b<p>a</p>\r\n");
    // Its bytes C3 A9 read as UTF-8 too.
    row("windows-1252 typed as if utf-8", "\x93q\x94\r\n", false, QStringLiteral("Ã©"),
        "\xC3\xA9\x93q\x94\r\n");
    row("no final line break", "a\r\n", true, QStringLiteral("bc"), "bc\r\n");
    row("new page", QByteArray(), true, QStringLiteral("new"), "new\r\n");
}

// Yes gives the text exactly as typed, in the editor, changed and shown, and Save writes it in
// the page's encoding; the offer comes again after another crash before any edit. No leaves the
// page as it is on disk and the offer does not come again.
void TestRecovery::recovered()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, cleared);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);

    TestWindow first;
    if (page.isNull())
        first.load();
    else
        first.loadPage(page);
    QWidget *editor = first.form->Text1.editor();
    if (cleared) {
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
    }
    first.form->Text1.setSelStart(0);
    first.type(typed + QStringLiteral("y"));
    QTest::keyClick(editor, Qt::Key_Backspace);
    const QString text = first.form->Text1.Text();
    const QString pagePath = first.pagePath();
    crash(first);

    const QString copy = first.folder.filePath(QStringLiteral("copy.html"));
    QVERIFY(QFile::copy(pagePath + Suffix, copy + Suffix));
    if (!page.isNull())
        QVERIFY(QFile::copy(pagePath, copy));
    TestWindow declined;
    reopen(declined, copy, MessageBox::No);
    QCOMPARE(prompts(declined).value(0), Recovery::prompt(copy));
    QCOMPARE(declined.messageBox.shown.first().buttons, 36);
    QCOMPARE(declined.messageBox.shown.first().title, QStringLiteral("Warning"));
    QVERIFY(declined.form->Text1.Text() != text);
    QCOMPARE(declined.form->page.ischanged, qint16(0));
    crash(declined);
    TestWindow notAgain;
    reopen(notAgain, copy, MessageBox::Yes);
    QVERIFY(!prompts(notAgain).contains(Recovery::prompt(copy)));

    for (int crashes = 1; crashes <= 2; ++crashes) {
        TestWindow taken;
        reopen(taken, pagePath, MessageBox::Yes);
        QCOMPARE(prompts(taken), {Recovery::prompt(pagePath)});
        Form1 &form = *taken.form;
        QCOMPARE(form.Text1.Text(), text);
        QCOMPARE(form.page.ischanged, qint16(1));
        QCOMPARE(form.window.Caption(), pagePath + QStringLiteral(" -- Velmora"));
        QCOMPARE(taken.browser.calls.constLast(), QStringLiteral("Navigate ") + pagePath + Suffix);
        if (crashes == 1) {
            crash(taken);
            continue;
        }
        form.save_Click();
        QCOMPARE(TestWindow::bytesOf(pagePath), saved);
    }
}

void TestRecovery::notOffered_data()
{
    QTest::addColumn<QString>("edit");

    QTest::addRow("opened, not edited") << QString();
    QTest::addRow("edited and saved") << QStringLiteral("save");
    QTest::addRow("quit") << QStringLiteral("quit");
    QTest::addRow("cut off") << QStringLiteral("cut");
    QTest::addRow("changed to the page's text") << QStringLiteral("undo");
}

// No offer where nothing typed was lost, or where the preview does not hold a whole text that
// an edit wrote.
void TestRecovery::notOffered()
{
    QFETCH(QString, edit);

    TestWindow first;
    first.loadPage("<p>\xC3\xA9</p>\r\n");
    Form1 &form = *first.form;
    form.Text1.setSelStart(0);
    if (!edit.isEmpty())
        first.type(QStringLiteral("ab"));
    const QString preview = form.page.tempfile;
    if (edit == QLatin1String("save")) {
        form.save_Click();
    } else if (edit == QLatin1String("quit")) {
        first.messageBox.answers = {MessageBox::No};
        first.trigger(QStringLiteral("Exit"));
        QVERIFY(!QFile::exists(preview));
    } else if (edit == QLatin1String("cut")) {
        const QByteArray bytes = TestWindow::bytesOf(preview);
        TestWindow::writeFile(preview, bytes.chopped(3));
    } else if (edit == QLatin1String("undo")) {
        QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace);
        QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace);
        QVERIFY(TestWindow::bytesOf(preview).startsWith(PreviewHeader));
    }
    crash(first);

    TestWindow again;
    reopen(again, first.pagePath(), MessageBox::Yes);
    QCOMPARE(prompts(again), {});
    QCOMPARE(again.form->page.ischanged, qint16(0));
    QCOMPARE(again.form->Text1.Text(), QString::fromUtf8(TestWindow::bytesOf(first.pagePath())));
}

void TestRecovery::killedWhileTyping_data()
{
    QTest::addColumn<int>("signal");

    QTest::addRow("SIGKILL") << SIGKILL;
    QTest::addRow("SIGTERM") << SIGTERM;
    QTest::addRow("SIGINT") << SIGINT;
}

// A child types into a page and is killed: the next open offers every letter it had typed when
// it was killed, and at most the one it was typing. SIGTERM and SIGINT end it between
// two keys, with the preview written whole and nothing left beside it.
void TestRecovery::killedWhileTyping()
{
    QFETCH(int, signal);

    QTemporaryDir folder;
    const QString page = folder.filePath(QStringLiteral("page.html"));
    const QString kept = QStringLiteral("<p>kept</p>\r\n");
    TestWindow::writeFile(page, kept.toUtf8());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(ChildVariable, page);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    int reported = 0;
    QVERIFY(QTest::qWaitFor(
        [&] {
            while (child.canReadLine())
                reported = child.readLine().trimmed().toInt();
            return reported >= 40;
        },
        60000));
    QCOMPARE(::kill(pid_t(child.processId()), signal), 0);
    QVERIFY(child.waitForFinished(20000));
    while (child.canReadLine())
        reported = child.readLine().trimmed().toInt();
    if (signal != SIGKILL) {
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 128 + signal);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList({QStringLiteral("page.html"), QStringLiteral("page.html") + Suffix}));
    }
    QCOMPARE(TestWindow::bytesOf(page), kept.toUtf8());

    TestWindow tw;
    reopen(tw, page, MessageBox::Yes);
    QString letters;
    for (int typed = 1; typed <= reported + 1; ++typed)
        letters.append(QChar(u'a' + typed % 26));
    const QString text = tw.form->Text1.Text();
    QVERIFY2(text.endsWith(kept), qPrintable(text));
    const QString recovered = text.chopped(kept.size());
    QVERIFY2(recovered.size() >= reported && recovered.size() <= reported + 1,
             qPrintable(QString::number(reported) + u' ' + recovered));
    QCOMPARE(recovered, letters.left(recovered.size()));
}

// A pipe where the preview goes is never opened, which would block the window: the open offers
// nothing, the status bar says why the preview is not written, and the notice stays until a
// write works again, through a menu item's status tip.
void TestRecovery::pipeAtThePreviewsPlace()
{
    TestWindow tw;
    const QString preview = tw.pagePath() + Suffix;
    TestWindow::writeFile(tw.pagePath(), "<p>a</p>\r\n");
    QCOMPARE(mkfifo(QFile::encodeName(preview).constData(), 0600), 0);
    tw.load();
    Form1 &form = *tw.form;
    QCOMPARE(prompts(tw), {});
    const QString notice =
        QStringLiteral("Typing is not being kept: the preview cannot be written to ") + preview +
        QStringLiteral(": It is not a regular file.");
    QCOMPARE(form.window.statusNotice(), notice);
    const QString shown = QStringLiteral("Navigate ") + preview;
    QVERIFY(!tw.browser.calls.contains(shown));
    QStatusBar *status = form.window.window()->statusBar();
    QVERIFY(status->isVisible());

    form.Text1.setSelStart(0);
    tw.type(QStringLiteral("b"));
    QStatusTipEvent hovered{QString()};
    QApplication::sendEvent(form.window.window(), &hovered);
    QCOMPARE(form.window.statusNotice(), notice);
    QVERIFY(status->isVisible());
    QVERIFY(!QFileInfo(preview).isFile());
    QVERIFY(!tw.browser.calls.contains(shown));

    QVERIFY(QFile::remove(preview));
    tw.type(QStringLiteral("c"));
    QCOMPARE(form.window.statusNotice(), QString());
    QCOMPARE(tw.browser.calls.constLast(), shown);
    QCOMPARE(tw.preview(), PreviewHeader + "bc<p>a</p>\r\n\r\n");
    QCOMPARE(form.Text1.Text(), QStringLiteral("bc<p>a</p>\r\n"));
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(qPrintable(ChildVariable))) {
        QApplication app(argc, argv);
        return typeUntilKilled(qEnvironmentVariable(qPrintable(ChildVariable)));
    }
    QApplication app(argc, argv);
    TestRecovery test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
