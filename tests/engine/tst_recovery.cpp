#include "documents/recovery.h"
#include "doubles/testwindow.h"
#include "preview/engine/webenginebrowser.h"
#include "system/terminationsignals.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
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
};

namespace {
const QString Suffix = QStringLiteral("_VLM_temp.html");
const QString ChildVariable = QStringLiteral("VELMORA_TYPING_INTO");

// The message boxes shown: title, buttons and prompt.
QStringList shown(const TestWindow &tw)
{
    QStringList boxes;
    for (const FakeMessageBox::Shown &box : tw.messageBox.shown)
        boxes.append(box.title + u' ' + QString::number(box.buttons) + u' ' + box.prompt);
    return boxes;
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
    QTest::addColumn<bool>("taken");

    const auto row = [](const char *name, const QByteArray &page, bool cleared,
                        const QString &typed, const QByteArray &saved) {
        QTest::addRow("%s, taken", name) << page << cleared << typed << saved << true;
        QTest::addRow("%s, declined", name) << page << cleared << typed << saved << false;
    };
    row("ascii", "<p>a</p>\r\n", false, QStringLiteral("b"), "b<p>a</p>\r\n");
    // Its bytes C3 A9 read as UTF-8 too.
    row("windows-1252 typed as if utf-8", "\x93q\x94\r\n", false, QStringLiteral("Ã©"),
        "\xC3\xA9\x93q\x94\r\n");
    row("no final line break", "a\r\n", true, QStringLiteral("bc"), "bc\r\n");
    row("new page", QByteArray(), true, QStringLiteral("new"), "new\r\n");
}

// The text as last typed is offered after a crash (a window gone without its close handler).
// Taken, it is in the editor, changed and shown, offered again after another crash before any
// edit, and Save writes it in the page's encoding. Declined, the page is as on disk and the
// offer does not come again.
void TestRecovery::recovered()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, cleared);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    QFETCH(bool, taken);

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
    first.form.reset();

    const QStringList offer{QStringLiteral("Warning 36 ") + Recovery::prompt(pagePath)};
    TestWindow second;
    reopen(second, pagePath, taken ? MessageBox::Yes : MessageBox::No);
    QCOMPARE(shown(second).mid(0, 1), offer);
    QCOMPARE(second.form->Text1.Text() == text, taken);
    QCOMPARE(second.form->page.ischanged, qint16(taken));
    second.form.reset();
    TestWindow third;
    reopen(third, pagePath, MessageBox::Yes);
    QCOMPARE(shown(third).contains(offer.constFirst()), taken);
    if (!taken)
        return;
    QCOMPARE(third.form->Text1.Text(), text);
    QCOMPARE(third.browser.calls.constLast(), QStringLiteral("Navigate ") + pagePath + Suffix);
    third.form->save_Click();
    QCOMPARE(TestWindow::bytesOf(pagePath), saved);
}

void TestRecovery::notOffered_data()
{
    QTest::addColumn<QString>("edit");

    for (const char *edit : {"opened, not edited", "edited and saved", "quit", "cut off",
                             "changed back to the page's text", "a pipe at the preview's place"})
        QTest::addRow("%s", edit) << QString::fromLatin1(edit);
}

// No offer where nothing typed was lost, or where the preview does not hold a whole text that
// an edit wrote. A pipe there is never opened, which would block the window: the status bar
// says why the preview is not written until a write works again.
void TestRecovery::notOffered()
{
    QFETCH(QString, edit);

    TestWindow first;
    first.loadPage("<p>\xC3\xA9</p>\r\n");
    Form1 &form = *first.form;
    const QString preview = form.page.tempfile;
    form.Text1.setSelStart(0);
    if (!edit.startsWith(QLatin1String("opened")))
        first.type(QStringLiteral("ab"));
    if (edit.startsWith(QLatin1String("edited"))) {
        form.save_Click();
    } else if (edit == QLatin1String("quit")) {
        first.messageBox.answers = {MessageBox::No};
        first.trigger(QStringLiteral("Exit"));
        QVERIFY(!QFile::exists(preview));
    } else if (edit == QLatin1String("cut off")) {
        TestWindow::writeFile(preview, TestWindow::bytesOf(preview).chopped(3));
    } else if (edit.startsWith(QLatin1String("changed"))) {
        QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace);
        QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace);
        QVERIFY(TestWindow::bytesOf(preview).startsWith(PreviewHeader));
    } else if (edit.startsWith(QLatin1String("a pipe"))) {
        QVERIFY(QFile::remove(preview));
        QCOMPARE(mkfifo(QFile::encodeName(preview).constData(), 0600), 0);
    }
    first.form.reset();

    TestWindow again;
    reopen(again, first.pagePath(), MessageBox::Yes);
    QCOMPARE(shown(again), {});
    QCOMPARE(again.form->page.ischanged, qint16(0));
    QCOMPARE(again.form->Text1.Text(), QString::fromUtf8(TestWindow::bytesOf(first.pagePath())));
    if (!edit.startsWith(QLatin1String("a pipe")))
        return;
    const QString notice =
        QStringLiteral("Typing is not being kept: the preview cannot be written to ") + preview +
        QStringLiteral(": It is not a regular file.");
    const QString shownPreview = QStringLiteral("Navigate ") + preview;
    QCOMPARE(again.form->window.statusNotice(), notice);
    again.type(QStringLiteral("b"));
    QCOMPARE(again.form->window.statusNotice(), notice);
    QVERIFY(!QFileInfo(preview).isFile());
    QVERIFY(!again.browser.calls.contains(shownPreview));
    QVERIFY(QFile::remove(preview));
    again.type(QStringLiteral("c"));
    QCOMPARE(again.form->window.statusNotice(), QString());
    QCOMPARE(again.browser.calls.constLast(), shownPreview);
    QCOMPARE(again.preview(),
             PreviewHeader + "<meta charset=\"UTF-8\">\r\nbc<p>\xC3\xA9</p>\r\n\r\n");
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
    const auto readReports = [&] {
        while (child.canReadLine())
            reported = child.readLine().trimmed().toInt();
        return reported >= 40;
    };
    QVERIFY(QTest::qWaitFor(readReports, 60000));
    QCOMPARE(::kill(pid_t(child.processId()), signal), 0);
    QVERIFY(child.waitForFinished(20000));
    readReports();
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
    QVERIFY2(text == letters.chopped(1) + kept || text == letters + kept,
             qPrintable(QString::number(reported) + u' ' + text));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(qPrintable(ChildVariable)))
        return typeUntilKilled(qEnvironmentVariable(qPrintable(ChildVariable)));
    TestRecovery test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
