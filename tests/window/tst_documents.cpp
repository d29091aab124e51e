#include "app/commandline.h"
#include "core/nativename.h"
#include "documents/recovery.h"
#include "doubles/testwindow.h"
#include "system/files.h"
#include "system/previewfile.h"

#include <QDir>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <ftw.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Failures are made real also for root: the capabilities that let root ignore permission bits
// switched off, before any thread starts; a file size limit.
namespace {
const bool permissionsBind = [] {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    syscall(SYS_capget, &header, caps);
    caps[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    return syscall(SYS_capset, &header, caps) == 0;
}();

template <typename Action>
void inReadOnlyFolder(const QString &folder, Action action)
{
    QVERIFY(permissionsBind);
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    action();
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Runs the action with writes failing beyond this size, as the program lets them fail.
template <typename Action>
void overSizeLimit(rlim_t size, Action action)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{size, saved.rlim_max};
    letWritesFailOverSizeLimit();
    setrlimit(RLIMIT_FSIZE, &limit);
    action();
    setrlimit(RLIMIT_FSIZE, &saved);
}

// A box told the user all of these.
void verifyTold(const TestWindow &tw, const QStringList &parts)
{
    for (const FakeMessageBox::Shown &box : tw.messageBox.shown) {
        if (std::all_of(parts.begin(), parts.end(),
                        [&](const QString &part) { return box.prompt.contains(part); }))
            return;
    }
    QFAIL(qPrintable(QStringLiteral("not told: ") + parts.join(u' ')));
}

// What the user sees of the page, and the flags that decide what comes next.
QStringList pageState(const TestWindow &tw)
{
    const PageState &page = tw.form->page;
    return {
        tw.form->Text1.Text(), tw.form->window.Caption(),       page.editingfile,
        page.tempfile,         QString::number(page.ischanged), QString::number(page.isopening)};
}

constexpr auto bytesOf = &TestWindow::bytesOf;
constexpr auto put = &TestWindow::writeFile;
const QString Suffix = QStringLiteral("_VLM_temp.html");
const QString HoldVariable = QStringLiteral("VELMORA_HOLD_PAGE");

// The preview holds the editor's text as typing writes it, which the next start offers back.
bool kept(const TestWindow &tw)
{
    return PreviewFile::editedText(tw.preview(), tw.form->page.encoding, QString()) ==
           tw.form->Text1.Text();
}
} // namespace

// Pages read, saved and refused; the preview that follows every edit; the two ways of quitting;
// and typing that is not saved staying on disk, as the next start recognises it, whatever the
// user answers, and whoever else writes beside the page.
class TestDocuments : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void startUp();
    void pageKept_data();
    void pageKept();
    void editsMarkAndShow_data();
    void editsMarkAndShow();
    void initTestCase();
    void everyPath_data();
    void everyPath();
    void fullDisk();
    void othersFiles();
    void secondWindow();
    void namesAreBytes_data();
    void namesAreBytes();
};

void TestDocuments::roundTrip_data()
{
    QTest::addColumn<QStringList>("existing"); // the first holds the page, the others "other"
    QTest::addColumn<QString>("chosen");       // the name chosen in the dialog
    QTest::addColumn<QString>("page");         // the page's name after opening
    QTest::addColumn<QString>("told");         // by the first save, about the page
    const auto row = [](const char *name, const char *existing, const char *chosen,
                        const char *page, const char *told = "") {
        QTest::addRow("%s", name) << QString::fromUtf8(existing).split(u' ')
                                  << QString::fromUtf8(chosen) << QString::fromUtf8(page)
                                  << QString::fromUtf8(told);
    };
    row("name typed without .html", "b.html", "b", "b.html");
    row("b opened, b.html replaced", "b b.html", "b", "b.html", " already exists. Replace it?");
    row("upper-case extension", "c.HTM", "c.HTM", "c.HTM");
    row("text file", "notes.txt", "notes.txt", "notes.txt.html");
    row(".htm inside the name", "x.htm.bak", "x.htm.bak", "x.htm.bak");
    row("symbolic link", "real.html", "link.html", "link.html");
    const QByteArray longName = QByteArray("\xC3\xA9").repeated(81) + "pp.html"; // 250 bytes
    row("name of 250 bytes in utf-8", longName.constData(), longName.constData(),
        longName.constData());
    row("hard link", "page.html", "page.html", "page.html",
        " is saved as a new file; its other names (hard links) keep the old text.");
    row("another user's page", "page.html", "page.html", "page.html");
}

// The page is loaded from the name chosen, or from the page that name stands for. Save writes
// to the page's path and changes no byte that was not typed, but for the line breaks the loader
// adds; it asks before it replaces a file the page was not read from, keeps the file's owner,
// group and permissions (also another user's, saved by root), a symbolic link as a link, and
// makes a page with other hard links a file of its own, telling the user once. Saving, opening
// and saving again changes nothing more.
void TestDocuments::roundTrip()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, chosen);
    QFETCH(QString, page);
    QFETCH(QString, told);

    const QByteArray tag = QTest::currentDataTag();
    const bool otherUser = tag == "another user's page";
    if (otherUser && geteuid() != 0)
        QSKIP("only root can give a file to another user");
    // A Windows-1252 page with LF breaks: its encoding and line breaks go on to Save, with
    // references for what the encoding cannot hold.
    const QByteArray file = "caf\xE9\n", saved = "\x80&#937;&#128512;caf\xE9\n";
    TestWindow tw;
    const QString existingPath = tw.folder.filePath(existing.constFirst());
    put(existingPath, file);
    for (const QString &other : existing.mid(1))
        put(tw.folder.filePath(other), "other\r\n");
    // A root without the privilege (an unprivileged container) cannot either.
    if (otherUser && ::chown(QFile::encodeName(existingPath).constData(), 65534, 65533) != 0)
        QSKIP(qPrintable(QStringLiteral("cannot give a file to another user here: ") +
                         QString::fromLocal8Bit(strerror(errno))));
    // Root may not read another user's page in this test, where permission bits bind it.
    const auto permissions =
        otherUser ? QFileDevice::Permissions(0x6666)
                  : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(existingPath, permissions));
    const QString link = tw.folder.filePath(QStringLiteral("link.html"));
    if (chosen == QLatin1String("link.html"))
        QVERIFY(QFile::link(existingPath, link));
    if (tag == "hard link")
        QCOMPARE(::link(QFile::encodeName(existingPath).constData(),
                        QFile::encodeName(link).constData()),
                 0);
    tw.dialog.files = {tw.folder.filePath(chosen)};
    tw.load();
    Form1 &form = *tw.form;
    const QString path = tw.folder.filePath(page);
    QCOMPARE(form.page.editingfile, path);
    QCOMPARE(form.window.Caption(), path + QStringLiteral(" -- Velmora"));
    QCOMPARE(form.Text1.Text(), QStringLiteral("caf\u00E9\r\n"));
    QCOMPARE(form.page.ischanged, qint16(0));
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + path + Suffix);
    QCOMPARE(tw.dialog.shownTitles, {QStringLiteral("Open or type a name to start a new page.")});
    QCOMPARE(tw.dialog.shownFilters,
             {QStringLiteral("HTML Files(*.htm,*.html)|*.htm*|All Files|*.*")});
    // The real dialog's "All Files" shows every file, "b" and "notes.txt" too.
    const QDir folder(tw.folder.path());
    const QString all = CommonDialog::nameFilters(tw.dialog.shownFilters.constFirst()).constLast();
    QCOMPARE(folder.entryList(QDir::nameFiltersFromString(all.section(u'(', -1).chopped(1))),
             folder.entryList());
    form.Text1.setSelStart(0);
    tw.type(QStringLiteral("\u20AC\u03A9\U0001F600"));
    tw.messageBox.shown.clear();
    tw.messageBox.answers = {MessageBox::Yes};
    for (int round = 0; round < 3; ++round) {
        if (round == 2) {
            tw.dialog.files = {path};
            form.open_Click();
        }
        form.save_Click();
        QCOMPARE(bytesOf(path), saved);
        QCOMPARE(tw.messageBox.shown.size(), told.isEmpty() ? 0 : 1);
    }
    if (!told.isEmpty())
        verifyTold(tw, {path + told});
    if (tag == "hard link")
        QCOMPARE(bytesOf(link), file);
    QCOMPARE(QFileInfo(link).isSymLink(), chosen == QLatin1String("link.html"));
    const QFileInfo info(existingPath);
    QCOMPARE(info.ownerId(), otherUser ? 65534u : geteuid());
    QCOMPARE(info.groupId(), otherUser ? 65533u : getegid());
    const auto notUser = QFileDevice::Permissions(0x7077); // the bits of the file itself
    QCOMPARE(QFile::permissions(existingPath) & notUser, permissions & notUser);
    QCOMPARE(folder.entryList({QStringLiteral("*.tmp")}), {});
}

// A new name starts a page from the skeleton; Save As moves the page and its preview; Open
// offers to save the page before it loads another, which starts a new undo history.
void TestDocuments::startUp()
{
    TestWindow tw;
    tw.load();
    Form1 &form = *tw.form;
    const QString head = QStringLiteral("<HTML>\r\n<HEAD>\r\n   <TITLE></TITLE>\r\n</head>\r\n"
                                        "<BODY>\r\n");
    QCOMPARE(form.Text1.Text(), head + QStringLiteral("\r\n\r\n</BODY>\r\n</HTML>") +
                                    QStringLiteral("\r\n").repeated(6));
    QCOMPARE(form.Text1.SelStart(), int(head.size()));
    QCOMPARE(tw.messageBox.shown.size(), 1);
    QCOMPARE(tw.messageBox.shown.at(0).prompt,
             QString(10, u' ') + QStringLiteral("New    File !") + QString(10, u' '));
    QCOMPARE(tw.messageBox.shown.at(0).title, QStringLiteral("Attention"));
    QCOMPARE(form.page.ischanged, qint16(0));
    QCOMPARE(tw.preview(), form.Text1.Text().toUtf8() + "\r\n");

    tw.type(QStringLiteral("x"));
    const QString path = tw.folder.filePath(QStringLiteral("new.html"));
    tw.dialog.files = {tw.folder.filePath(QStringLiteral("new"))};
    tw.trigger(QStringLiteral("Save as..."));
    QCOMPARE(tw.dialog.shownFilters.constLast(),
             QStringLiteral("HTML Files(*.htm,*.html)|*.htm*|All Files(*.*)|*.*"));
    QCOMPARE(form.page.editingfile, path);
    QCOMPARE(form.window.Caption(), path + QStringLiteral("--Velmora"));
    QCOMPARE(form.page.ischanged, qint16(0));
    QCOMPARE(bytesOf(path), form.Text1.Text().toUtf8());
    QVERIFY(!QFile::exists(tw.pagePath()) && !QFile::exists(tw.pagePath() + Suffix));
    QCOMPARE(bytesOf(path + Suffix), form.Text1.Text().toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + path + Suffix);

    tw.type(QStringLiteral("y"));
    const QByteArray typed = form.Text1.Text().toUtf8();
    const QString other = tw.folder.filePath(QStringLiteral("other.html"));
    put(other, "other\r\n");
    tw.messageBox.answers = {MessageBox::Yes};
    tw.dialog.files = {other};
    tw.trigger(QStringLiteral("Open..."));
    QCOMPARE(bytesOf(path), typed);
    QVERIFY(!QFile::exists(path + Suffix)); // not even written while the other page loads
    QCOMPARE(form.page.editingfile, other);
    // Undo never goes back into the page before.
    QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(form.Text1.Text(), QStringLiteral("other\r\n"));
    QCOMPARE(form.page.ischanged, qint16(0));
}

void TestDocuments::pageKept_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("chosen"); // in the file dialog; empty: cancelled
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("told");
    const auto row = [](const char *name, const char *command, const char *chosen,
                        const char *failure, const char *told) {
        QTest::addRow("%s", name) << QString::fromLatin1(command) << QString::fromLatin1(chosen)
                                  << QString::fromLatin1(failure) << QString::fromLatin1(told);
    };
    const char *const denied = "Permission denied";
    row("open cancelled", "Open...", "", "", "");
    row("open the preview file", "Open...", "page.html_VLM_temp.html", "",
        "This is the temp file for VLM,Select another!");
    row("open without read permission", "Open...", "locked", "unreadable", denied);
    row("open a folder", "Open...", "folder", "unreadable", "It is a folder");
    row("open a device", "Open...", "/dev/zero", "unreadable", "device");
    row("open, save to read-only folder", "Open...", "new.html", "read-only folder", denied);
    row("save to read-only folder", "Save", "", "read-only folder", denied);
    row("save a write-protected page", "Save", "", "write-protected", denied);
    row("save to size limit midway", "Save", "", "size limit midway", "File too large");
    row("save as cancelled", "Save as...", "", "", "");
    row("save as to read-only folder", "Save as...", "site/new.html", "read-only folder", denied);
    row("save as, .html added, replace declined", "Save as...", "site/new", "replace declined",
        "already exists. Replace it?");
    row("exit, save to read-only folder", "Exit", "", "read-only folder", denied);
    row("close, save to read-only folder", "close", "", "read-only folder", denied);
}

// A command that cannot read the page chosen, or cannot write the changed page, tells the user
// which file and why; the old page stays byte for byte and the page in the window stays whole,
// changed, with a preview that follows the edits.
void TestDocuments::pageKept()
{
    QFETCH(QString, command);
    QFETCH(QString, chosen);
    QFETCH(QString, failure);
    QFETCH(QString, told);

    TestWindow tw;
    const QString folder = tw.folder.filePath(QStringLiteral("site"));
    const QString path = folder + QStringLiteral("/page.html");
    const QString chosenPath = QDir(tw.folder.path()).filePath(chosen);
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(tw.folder.filePath(QStringLiteral("folder"))));
    put(tw.folder.filePath(QStringLiteral("locked")), "secret\r\n");
    QVERIFY(QFile::setPermissions(tw.folder.filePath(QStringLiteral("locked")),
                                  QFileDevice::WriteOwner));
    put(path, "old page\r\n");
    tw.dialog.files = {path};
    tw.load();
    Form1 &form = *tw.form;
    form.Text1.setText(QString(6000, u'n'));
    const QStringList before = pageState(tw);
    const bool saveAs = command == QLatin1String("Save as...");
    const bool replacing = failure == QLatin1String("replace declined");
    if (replacing)
        put(folder + QStringLiteral("/new.html"), "other\r\n");
    const bool writing = !failure.isEmpty() && failure != QLatin1String("unreadable") && !replacing;
    tw.messageBox.answers = {writing ? MessageBox::Yes : MessageBox::No};
    tw.dialog.files = {chosen.isEmpty() ? std::nullopt : std::optional(chosenPath)};
    const auto run = [&] {
        if (command == QLatin1String("close"))
            QVERIFY(!form.window.window()->close());
        else
            tw.trigger(command);
    };
    if (failure == QLatin1String("size limit midway")) {
        overSizeLimit(4096, run);
    } else if (failure == QLatin1String("write-protected")) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        run();
    } else if (failure == QLatin1String("read-only folder")) {
        inReadOnlyFolder(folder, run);
    } else {
        run();
    }
    const QString named = writing && !saveAs ? path : chosenPath; // the file the user is told of
    if (!told.isEmpty())
        verifyTold(tw, {told, failure.isEmpty() ? told : named});
    QCOMPARE(pageState(tw), before);
    QVERIFY(!form.hasEnded());
    QCOMPARE(bytesOf(path), QByteArray("old page\r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), replacing ? 3 : 2); // no temporary file
    if (replacing)
        QCOMPARE(bytesOf(folder + QStringLiteral("/new.html")), QByteArray("other\r\n"));
    // Open and Save As show the preview again, which keeps the changes as typing wrote them.
    const bool shownAgain = saveAs || (command == QLatin1String("Open...") && !writing);
    QCOMPARE(tw.preview(), PreviewHeader + form.Text1.Text().toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), shownAgain
                                               ? QStringLiteral("Navigate ") + form.page.tempfile
                                               : QStringLiteral("Refresh"));
    tw.type(QStringLiteral("y"));
    QCOMPARE(tw.preview(), PreviewHeader + form.Text1.Text().toUtf8() + "\r\n");
}

void TestDocuments::editsMarkAndShow_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("previewed"); // after an "x" typed at the start
    QTest::addRow("empty, ascii") << QByteArray() << PreviewHeader + "x\r\n";
    QTest::addRow("windows-1252") << QByteArray("\x93\xE9\r\n")
                                  << PreviewHeader +
                                         "<meta charset=\"windows-1252\">\r\nx\x93\xE9\r\n\r\n";
}

// Every edit marks the page changed and writes the preview, in the encoding the page was read
// in, reloaded while it is shown, else navigated back to; Save clears the mark.
void TestDocuments::editsMarkAndShow()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, previewed);
    TestWindow tw;
    tw.loadPage(page);
    Form1 &form = *tw.form;
    const QString navigate = QStringLiteral("Navigate ") + form.page.tempfile;
    const auto typed = [&](const QString &shown) {
        tw.browser.calls.clear();
        tw.type(QStringLiteral("x"));
        QCOMPARE(tw.browser.calls, QStringList{shown});
        QCOMPARE(form.page.ischanged, qint16(1));
    };
    typed(QStringLiteral("Refresh"));
    QCOMPARE(tw.preview(), previewed);
    form.save_Click();
    QCOMPARE(form.page.ischanged, qint16(0));

    tw.browser.followLink(QStringLiteral("https://example.org/next.html"));
    typed(navigate);
    typed(QStringLiteral("Refresh"));
    tw.browser.GoHome();
    typed(navigate);
}

// The child of secondWindow: edits the page until it is killed.
void TestDocuments::initTestCase()
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

void TestDocuments::everyPath_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("changed"); // the page's flag, set after typing
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("files"); // the dialog cancels once they are used up
    QTest::addColumn<bool>("ended");
    const auto row = [](const char *name, const char *command, int changed,
                        const QList<int> &answers, const char *files, bool ended) {
        QTest::addRow("%s", name) << QString::fromLatin1(command) << changed << answers
                                  << QString::fromLatin1(files).split(u' ', Qt::SkipEmptyParts)
                                  << ended;
    };
    const int yes = MessageBox::Yes, no = MessageBox::No, cancel = MessageBox::Cancel;
    const int ok = MessageBox::Ok;
    row("save as, cancelled", "Save as...", 1, {}, "", false);
    row("save as, folder missing", "Save as...", 1, {ok}, "missing/x.html", false);
    row("open, no, cancelled", "Open...", 1, {no}, "", false);
    row("open, no, preview refused, no, cancelled", "Open...", 1, {no, ok, no},
        "x.html_VLM_temp.html", false);
    row("new, cancelled", "New", 1, {cancel}, "", false);
    row("exit, cancelled", "Exit", 1, {cancel}, "", false);
    row("close, cancelled", "close", 1, {cancel}, "", false);
    row("exit unchanged", "Exit", 0, {}, "", true);
    row("exit changed, yes", "Exit", 1, {yes}, "", true);
    row("exit, flag other than 1", "Exit", -1, {}, "", true);
    row("close changed, no", "close", 1, {no}, "", true);
}

// While every box and dialog is up, and after a command that leaves the window up, the typing
// is kept; quitting asks to save a changed page alone, and ends unless cancelled.
void TestDocuments::everyPath()
{
    QFETCH(QString, command);
    QFETCH(int, changed);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, files);
    QFETCH(bool, ended);

    TestWindow tw;
    tw.load();
    Form1 &form = *tw.form;
    tw.type(QStringLiteral("typed"));
    form.page.ischanged = qint16(changed);
    tw.messageBox.shown.clear();
    int moments = 0, keptMoments = 0;
    tw.dialog.whileShown = tw.messageBox.whileShown = [&] { keptMoments += kept(tw), ++moments; };
    tw.messageBox.answers = answers;
    for (const QString &file : files)
        tw.dialog.files.append(tw.folder.filePath(file));
    QSignalSpy endedSpy(&form, &Form1::programEnded);
    const bool closing = command == QLatin1String("close");
    if (closing)
        form.window.window()->close();
    else
        tw.trigger(command);
    QCOMPARE(keptMoments, moments);
    if (closing || command == QLatin1String("Exit")) {
        QCOMPARE(tw.messageBox.shown.size(), changed == 1 ? 1 : 0);
        for (const FakeMessageBox::Shown &box : tw.messageBox.shown)
            QCOMPARE(QStringLiteral("%1 %2 %3").arg(box.prompt).arg(box.buttons).arg(box.title),
                     QStringLiteral("The file have been changed,save it? 35 Warning"));
    }
    QCOMPARE(endedSpy.count(), ended ? 1 : 0);
    QCOMPARE(form.hasEnded(), ended);
    QCOMPARE(form.window.window()->isVisible(), !ended);
    QCOMPARE(QFile::exists(form.page.tempfile), !ended);
    QCOMPARE(QFile::exists(form.page.editingfile), answers.contains(MessageBox::Yes));
    if (!ended) {
        QVERIFY(moments >= 1 && kept(tw));
        QCOMPARE(form.page.ischanged, qint16(1));
    }
}

// Where the preview cannot be written whole, the last good one stays and the user is told.
void TestDocuments::fullDisk()
{
    TestWindow tw;
    tw.load();
    tw.type(QStringLiteral("safe"));
    const QByteArray good = tw.preview();
    overSizeLimit(good.size(), [&] { tw.type(QStringLiteral("lost")); });
    QCOMPARE(tw.preview(), good);
    QVERIFY(tw.form->window.statusNotice().startsWith(QLatin1String("Typing is not being kept")));
    tw.type(QStringLiteral("!"));
    QVERIFY(kept(tw));
}

// The preview is as private as the page; another user's file at its place is never offered.
void TestDocuments::othersFiles()
{
    if (geteuid() != 0)
        QSKIP("only root can give a file to another user");
    TestWindow tw;
    put(tw.pagePath(), "<p>page</p>\r\n");
    QVERIFY(QFile::setPermissions(tw.pagePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QString preview = tw.pagePath() + PreviewFile::Suffix;
    put(preview, PreviewHeader + "<script src=//evil></script>\r\n");
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
void TestDocuments::secondWindow()
{
    TestWindow tw;
    put(tw.pagePath(), "<p>page</p>\r\n");
    QProcess first;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(HoldVariable, tw.pagePath());
    first.setProcessEnvironment(environment);
    first.start(QCoreApplication::applicationFilePath(), {});
    QByteArray said;
    while (!said.contains("typed") && first.waitForReadyRead(60000))
        said += first.readAllStandardOutput();
    QVERIFY(said.contains("typed"));
    const QByteArray typed = bytesOf(tw.pagePath() + PreviewFile::Suffix);
    tw.dialog.files = {tw.pagePath(), std::nullopt};
    tw.load();
    QVERIFY(tw.form->hasEnded());
    QVERIFY(tw.messageBox.shown.value(0).prompt.contains(QLatin1String("another VLM window")));
    QCOMPARE(bytesOf(tw.pagePath() + PreviewFile::Suffix), typed);

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
    QCOMPARE(bytesOf(tw.pagePath()), QByteArray("<p>page</p>\r\n"));
}

void TestDocuments::namesAreBytes_data()
{
    QTest::addColumn<bool>("picked"); // in the dialog, which reads such names as U+FFFD
    QTest::addRow("named on the command line") << false;
    QTest::addRow("picked in the dialog") << true;
}

// A page whose folder and name are not UTF-8 opens, saves and previews under its own name.
void TestDocuments::namesAreBytes()
{
    QFETCH(bool, picked);

    TestWindow tw;
    const QByteArray folder = QFile::encodeName(tw.folder.path()) + "/caf\xE9";
    const QByteArray name = folder + "/p\xE9ge.html";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const QString page = NativeName::decode(name);
    put(page, "<p>page</p>\r\n");
    tw.dialog.files = {QString::fromUtf8(name)};
    if (picked)
        tw.form->Form_Load();
    else
        tw.form->Form_Load(CommandLine({QStringLiteral("velmora"), page}).page());
    QVERIFY(QTest::qWaitForWindowActive(tw.form->window.window()));
    QCOMPARE(tw.form->window.Caption(), QString::fromUtf8(name) + QStringLiteral(" -- Velmora"));
    tw.type(QStringLiteral("x"));
    tw.trigger(QStringLiteral("Save"));
    QCOMPARE(bytesOf(page), QByteArray("x<p>page</p>\r\n"));
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

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
