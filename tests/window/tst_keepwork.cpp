#include "app/commandline.h"
#include "core/nativename.h"
#include "documents/recovery.h"
#include "doubles/testwindow.h"
#include "system/files.h"
#include "system/previewfile.h"

#include <QMainWindow>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <ftw.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Typing that is not saved stays on disk, as the next start recognises it, whatever the user
// answers, and whoever else writes beside the page.
class TestKeepWork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyPath_data();
    void everyPath();
    void fullDisk();
    void othersFiles();
    void secondWindow();
    void namesAreBytes_data();
    void namesAreBytes();
};

namespace {
const QString HoldVariable = QStringLiteral("VELMORA_HOLD_PAGE");

// The preview holds the editor's text as typing writes it, which the next start offers back.
bool kept(const TestWindow &tw)
{
    return PreviewFile::editedText(tw.preview(), tw.form->page.encoding, QString()) ==
           tw.form->Text1.Text();
}
} // namespace

// The child of secondWindow: edits the page until it is killed.
void TestKeepWork::initTestCase()
{
    const QString page = qEnvironmentVariable(qPrintable(HoldVariable));
    if (page.isEmpty())
        return;
    TestWindow tw;
    tw.dialog.files = {page};
    tw.load();
    tw.type(QStringLiteral("held"));
    std::puts("typed");
    std::fflush(stdout);
    for (;;)
        QTest::qWait(1000);
}

void TestKeepWork::everyPath_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("files"); // an empty name cancels the dialog
    const int no = MessageBox::No, cancel = MessageBox::Cancel, ok = MessageBox::Ok;
    QTest::addRow("save as, cancelled") << "Save as..." << QList<int>{} << QStringList{""};
    QTest::addRow("save as, folder missing")
        << "Save as..." << QList<int>{ok} << QStringList{"missing/x.html"};
    QTest::addRow("open, no, cancelled") << "Open..." << QList<int>{no} << QStringList{""};
    QTest::addRow("open, no, preview refused, no, cancelled")
        << "Open..." << QList<int>{no, ok, no} << QStringList{"x.html_VLM_temp.html", ""};
    QTest::addRow("new, cancelled") << "New" << QList<int>{cancel} << QStringList{};
    QTest::addRow("exit, cancelled") << "Exit" << QList<int>{cancel} << QStringList{};
    QTest::addRow("close, cancelled") << "close" << QList<int>{cancel} << QStringList{};
}

// While every box and dialog is up, and after the command, the typing is kept.
void TestKeepWork::everyPath()
{
    QFETCH(QString, command);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, files);

    TestWindow tw;
    tw.load();
    tw.type(QStringLiteral("typed"));
    int moments = 0, keptMoments = 0;
    tw.dialog.whileShown = tw.messageBox.whileShown = [&] { keptMoments += kept(tw), ++moments; };
    tw.messageBox.answers = answers;
    for (const QString &file : files)
        tw.dialog.files.append(file.isEmpty() ? std::nullopt
                                              : std::optional(tw.folder.filePath(file)));
    if (command == QLatin1String("close"))
        tw.form->window.window()->close();
    else
        tw.trigger(command);
    QCOMPARE(keptMoments, moments);
    QVERIFY(moments >= 1);
    QVERIFY(kept(tw));
    QCOMPARE(tw.form->page.ischanged, qint16(1));
    QVERIFY(!tw.form->hasEnded());
}

// Where the preview cannot be written whole, the last good one stays and the user is told.
void TestKeepWork::fullDisk()
{
    TestWindow tw;
    tw.load();
    tw.type(QStringLiteral("safe"));
    const QByteArray good = tw.preview();
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit unlimited = limit;
    limit.rlim_cur = good.size();
    letWritesFailOverSizeLimit();
    setrlimit(RLIMIT_FSIZE, &limit);
    tw.type(QStringLiteral("lost"));
    setrlimit(RLIMIT_FSIZE, &unlimited);
    QCOMPARE(tw.preview(), good);
    QVERIFY(tw.form->window.statusNotice().startsWith(QLatin1String("Typing is not being kept")));
    tw.type(QStringLiteral("!"));
    QVERIFY(kept(tw));
}

// The preview is as private as the page; another user's file at its place is never offered.
void TestKeepWork::othersFiles()
{
    if (geteuid() != 0)
        QSKIP("only root can give a file to another user");
    TestWindow tw;
    TestWindow::writeFile(tw.pagePath(), "<p>page</p>\r\n");
    QVERIFY(QFile::setPermissions(tw.pagePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QString preview = tw.pagePath() + PreviewFile::Suffix;
    TestWindow::writeFile(preview, PreviewHeader + "<script src=//evil></script>\r\n");
    // A root without the privilege (an unprivileged container) cannot.
    if (::chown(QFile::encodeName(preview).constData(), 65534, 65534) != 0)
        QSKIP(qPrintable(QStringLiteral("cannot give a file to another user here: ") +
                         QString::fromLocal8Bit(strerror(errno))));
    tw.load();
    QCOMPARE(tw.messageBox.shown.size(), 0);
    QCOMPARE(tw.form->Text1.Text(), QStringLiteral("<p>page</p>\r\n"));
    tw.type(QStringLiteral("x"));
    QVERIFY(kept(tw));
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                        QFileDevice::WriteOther;
    QCOMPARE(QFileInfo(preview).permissions() & others, QFileDevice::Permissions());
}

// A second window leaves the page that another running one edits alone; once that one is
// killed, its typing is offered, and the page changed since is said to be newer.
void TestKeepWork::secondWindow()
{
    TestWindow tw;
    TestWindow::writeFile(tw.pagePath(), "<p>page</p>\r\n");
    QProcess first;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(HoldVariable, tw.pagePath());
    first.setProcessEnvironment(environment);
    first.start(QCoreApplication::applicationFilePath(), {});
    QByteArray said;
    while (!said.contains("typed") && first.waitForReadyRead(60000))
        said += first.readAllStandardOutput();
    QVERIFY(said.contains("typed"));
    const QByteArray typed = TestWindow::bytesOf(tw.pagePath() + PreviewFile::Suffix);
    tw.dialog.files = {tw.pagePath(), std::nullopt};
    tw.load();
    QVERIFY(tw.form->hasEnded());
    QVERIFY(tw.messageBox.shown.value(0).prompt.contains(QLatin1String("another VLM window")));
    QCOMPARE(TestWindow::bytesOf(tw.pagePath() + PreviewFile::Suffix), typed);

    first.kill();
    QVERIFY(first.waitForFinished());
    QFile page(tw.pagePath());
    QVERIFY(page.open(QIODevice::ReadWrite));
    QVERIFY(page.setFileTime(QDateTime::currentDateTime().addSecs(60),
                             QFileDevice::FileModificationTime));
    page.close();
    TestWindow second;
    second.messageBox.answers = {MessageBox::Yes, MessageBox::No};
    second.dialog.files = {tw.pagePath()};
    second.load();
    QCOMPARE(second.messageBox.shown.value(0).prompt, Recovery::prompt(tw.pagePath(), true));
    QCOMPARE(second.form->Text1.Text(), QStringLiteral("held<p>page</p>\r\n"));
    second.trigger(QStringLiteral("Save"));
    QCOMPARE(TestWindow::bytesOf(tw.pagePath()), QByteArray("<p>page</p>\r\n"));
}

void TestKeepWork::namesAreBytes_data()
{
    QTest::addColumn<bool>("picked"); // in the dialog, which reads such names as U+FFFD
    QTest::addRow("named on the command line") << false;
    QTest::addRow("picked in the dialog") << true;
}

// A page whose folder and name are not UTF-8 opens, saves and previews under its own name.
void TestKeepWork::namesAreBytes()
{
    QFETCH(bool, picked);

    TestWindow tw;
    const QByteArray folder = QFile::encodeName(tw.folder.path()) + "/caf\xE9";
    const QByteArray name = folder + "/p\xE9ge.html";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const QString page = NativeName::decode(name);
    TestWindow::writeFile(page, "<p>page</p>\r\n");
    tw.dialog.files = {QString::fromUtf8(name)};
    if (picked)
        tw.form->Form_Load();
    else
        tw.form->Form_Load(CommandLine({QStringLiteral("velmora"), page}).page());
    QVERIFY(QTest::qWaitForWindowActive(tw.form->window.window()));
    QCOMPARE(tw.form->window.Caption(), QString::fromUtf8(name) + QStringLiteral(" -- Velmora"));
    tw.type(QStringLiteral("x"));
    tw.trigger(QStringLiteral("Save"));
    QCOMPARE(TestWindow::bytesOf(page), QByteArray("x<p>page</p>\r\n"));
    QVERIFY(tw.browser.calls.contains(QStringLiteral("Navigate ") + page + PreviewFile::Suffix));
    QVERIFY2(tw.preview().contains("x<p>page</p>\r\n"), tw.preview().constData());
    DIR *listing = ::opendir(folder.constData());
    int entries = 0;
    while (::readdir(listing) != nullptr)
        ++entries;
    ::closedir(listing);
    tw.form.reset();
    // QTemporaryDir cannot reach a name that is not UTF-8.
    ::nftw(
        folder.constData(),
        [](const char *file, const struct stat *, int, FTW *) { return std::remove(file); }, 4,
        FTW_DEPTH | FTW_PHYS);
    QCOMPARE(entries, 5); // ".", "..", the page, its preview and its lock
}

QTEST_MAIN(TestKeepWork)
#include "tst_keepwork.moc"
