#include "doubles/testwindow.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

#include <csignal>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Failures are made real also for root: small file systems in a mount namespace of the test's
// own, the capabilities that let root ignore permission bits switched off, a file size limit.
namespace {
bool writeProcFile(const char *path, const QByteArray &line)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::WriteOnly) && file.write(line) == line.size();
}

// Before any thread starts: permission bits bind this process also as root, and mounts made
// later stay within it. Returns why it has no mounts of its own, if so.
QString isolate()
{
    const bool root = geteuid() == 0;
    const QByteArray uid = QByteArray::number(geteuid());
    const QByteArray gid = QByteArray::number(getegid());
    const bool unshared = unshare(root ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
                          (root || (writeProcFile("/proc/self/setgroups", "deny") &&
                                    writeProcFile("/proc/self/uid_map", "0 " + uid + " 1") &&
                                    writeProcFile("/proc/self/gid_map", "0 " + gid + " 1")));
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    syscall(SYS_capget, &header, caps);
    caps[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    syscall(SYS_capset, &header, caps);
    if (!unshared || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("no private mounts");
    return QString();
}
const QString noPrivateMounts = isolate();

template <typename Action>
void inReadOnlyFolder(const QString &folder, Action action)
{
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    action();
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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
} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void startUp();
    void pageKept_data();
    void pageKept();
    void unwritablePreview();
};

void TestDocuments::roundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed"); // at the start
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QString>("existing"); // the file that holds the bytes
    QTest::addColumn<QString>("chosen");   // the name chosen in the dialog
    QTest::addColumn<QString>("page");     // the page's name after opening
    const auto row = [](const char *name, const QByteArray &file, const QString &text,
                        const QByteArray &saved = QByteArray(), const QString &typed = QString(),
                        const char *existing = "page.html", const char *chosen = "page.html",
                        const char *page = "page.html") {
        QTest::addRow("%s", name) << file << text << typed << (saved.isNull() ? file : saved)
                                  << QString::fromUtf8(existing) << QString::fromUtf8(chosen)
                                  << QString::fromUtf8(page);
    };
    row("crlf", "a\r\nb\r\n", QStringLiteral("a\r\nb\r\n"));
    row("lf only", "a\nb\n", QStringLiteral("a\nb\n"));
    row("mixed", "a\r\nb\nc\r\n\n", QStringLiteral("a\r\nb\nc\r\n\n"));
    row("no final break", "a\r\nb", QStringLiteral("a\r\nb\r\n"), "a\r\nb\r\n");
    row("lone cr", "a\rb\r", QStringLiteral("a\r\nb\r\n"), "a\r\nb\r\n");
    row("empty", "", QString(), "\r\n");
    row("utf-8", "<p>Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n",
        QStringLiteral("<p>Grüße € \U0001F600\r\n"));
    row("utf-8 with bom", "\xEF\xBB\xBF\xC3\xA9\r\n", QStringLiteral("é\r\n"));
    row("windows-1252", "\x93q\x94 \x80 \x81\x8D\x8F\x90\x9D \xE9\xFF\r\n",
        QStringLiteral("“q” € \u0081\u008D\u008F\u0090\u009D éÿ\r\n"));
    row("windows-1252 cannot hold it", "caf\xE9\r\n", QStringLiteral("café\r\n"),
        "\x80&#937;&#128512;caf\xE9\r\n", QStringLiteral("€Ω\U0001F600"));
    const auto named = [&](const char *name, const char *existing, const char *chosen,
                           const char *page) {
        row(name, "old\r\n", QStringLiteral("old\r\n"), "xold\r\n", QStringLiteral("x"), existing,
            chosen, page);
    };
    named("name typed without .html", "b.html", "b", "b.html");
    named("upper-case extension", "c.HTM", "c.HTM", "c.HTM");
    named("text file", "notes.txt", "notes.txt", "notes.txt.html");
    named(".htm inside the name", "x.htm.bak", "x.htm.bak", "x.htm.bak");
    named("symbolic link", "real.html", "link.html", "link.html");
}

// The page is loaded from the name chosen, or from the page that name stands for. Save writes
// to the page's path and changes no byte that was not typed, but for the line breaks the loader
// adds; it keeps the file's permissions and a link as a link. Opening and saving again changes
// nothing more.
void TestDocuments::roundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    QFETCH(QString, existing);
    QFETCH(QString, chosen);
    QFETCH(QString, page);

    TestWindow tw;
    const QString existingPath = tw.folder.filePath(existing);
    put(existingPath, file);
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::ReadUser |
                             QFileDevice::WriteOwner | QFileDevice::WriteUser |
                             QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(existingPath, permissions));
    const bool link = chosen == QLatin1String("link.html");
    if (link)
        QVERIFY(QFile::link(existingPath, tw.folder.filePath(chosen)));
    tw.dialog.files = {tw.folder.filePath(chosen)};
    tw.load();
    Form1 &form = *tw.form;
    const QString path = tw.folder.filePath(page);
    QCOMPARE(form.page.editingfile, path);
    QCOMPARE(form.window.Caption(), path + QStringLiteral(" -- Velmora"));
    QCOMPARE(form.Text1.Text(), text);
    QCOMPARE(form.page.ischanged, qint16(0));
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + path + Suffix);
    QCOMPARE(tw.dialog.shownTitles, {QStringLiteral("Open or type a name to start a new page.")});
    QCOMPARE(tw.dialog.shownFilters,
             {QStringLiteral("HTML Files(*.htm,*.html)|*.htm*|All Files|*.*")});
    form.Text1.setSelStart(0);
    tw.type(typed);
    form.save_Click();
    QCOMPARE(bytesOf(path), saved);
    QCOMPARE(QFileInfo(path).isSymLink(), link);
    QCOMPARE(QFile::permissions(existingPath), permissions);
    tw.dialog.files = {path};
    form.open_Click();
    form.save_Click();
    QCOMPARE(bytesOf(path), saved);
}

// Cancelling the first dialog ends the program; a folder chosen is refused and the dialog comes
// again; a new name starts a page from the skeleton; Save As moves the page and its preview;
// Open offers to save the page before it loads another.
void TestDocuments::startUp()
{
    TestWindow cancelled;
    cancelled.dialog.files = {std::nullopt};
    cancelled.load();
    QVERIFY(cancelled.form->hasEnded());
    QVERIFY(QDir(cancelled.folder.path()).isEmpty());

    TestWindow tw;
    const QString folder = tw.folder.filePath(QStringLiteral("site.htm"));
    QVERIFY(QDir().mkpath(folder));
    tw.dialog.files = {folder, tw.pagePath()};
    tw.load();
    verifyTold(tw, {folder, QStringLiteral("It is a folder")});
    Form1 &form = *tw.form;
    const QString head = QStringLiteral("<HTML>\r\n<HEAD>\r\n   <TITLE></TITLE>\r\n</head>\r\n"
                                        "<BODY>\r\n");
    QCOMPARE(form.Text1.Text(), head + QStringLiteral("\r\n\r\n</BODY>\r\n</HTML>") +
                                    QStringLiteral("\r\n").repeated(6));
    QCOMPARE(form.Text1.SelStart(), int(head.size()));
    QCOMPARE(tw.messageBox.shown.size(), 2);
    QCOMPARE(tw.messageBox.shown.at(1).prompt,
             QString(10, u' ') + QStringLiteral("New    File !") + QString(10, u' '));
    QCOMPARE(tw.messageBox.shown.at(1).title, QStringLiteral("Attention"));
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
    row("save to full disk", "Save", "", "full disk", "No space left on device");
    row("save to size limit midway", "Save", "", "size limit midway", "File too large");
    row("save as cancelled", "Save as...", "", "", "");
    row("save as to read-only folder", "Save as...", "site/new.html", "read-only folder", denied);
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
    const QByteArray mountPoint = QFile::encodeName(folder);
    const auto unmount = qScopeGuard([&] { umount2(mountPoint.constData(), MNT_DETACH); });
    if (failure == QLatin1String("full disk") &&
        (!noPrivateMounts.isEmpty() ||
         mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=16k") != 0)) {
        QSKIP(qPrintable(QStringLiteral("no small file system: ") + noPrivateMounts));
    }
    put(path, "old page\r\n");
    tw.dialog.files = {path};
    tw.load();
    Form1 &form = *tw.form;
    form.Text1.setText(QString(6000, u'n'));
    const QStringList before = pageState(tw);
    const bool saveAs = command == QLatin1String("Save as...");
    const bool writing = !failure.isEmpty() && failure != QLatin1String("unreadable");
    tw.messageBox.answers = {writing ? MessageBox::Yes : MessageBox::No};
    tw.dialog.files = {chosen.isEmpty() ? std::nullopt : std::optional(chosenPath)};
    const auto run = [&] {
        if (command == QLatin1String("close"))
            QVERIFY(!form.window.window()->close());
        else
            tw.trigger(command);
    };
    if (failure == QLatin1String("size limit midway")) {
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{4096, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the test
        run();
        setrlimit(RLIMIT_FSIZE, &saved);
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
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2); // no temporary file left
    // Open and Save As take the preview away and show it again.
    const bool shownAgain = saveAs || (command == QLatin1String("Open...") && !writing);
    QCOMPARE(tw.preview(),
             (shownAgain ? QByteArray() : PreviewHeader) + form.Text1.Text().toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), shownAgain
                                               ? QStringLiteral("Navigate ") + form.page.tempfile
                                               : QStringLiteral("Refresh"));
    tw.type(QStringLiteral("y"));
    QCOMPARE(tw.preview(), PreviewHeader + form.Text1.Text().toUtf8() + "\r\n");
}

// Editing goes on and the status bar says why, also after a menu item's status tip; when
// writing works again, the preview follows and the notice goes.
void TestDocuments::unwritablePreview()
{
    TestWindow tw;
    tw.load();
    Form1 &form = *tw.form;
    QStatusBar *status = form.window.window()->statusBar();
    QVERIFY(QFile::remove(form.page.tempfile));
    inReadOnlyFolder(tw.folder.path(), [&] {
        tw.type(QStringLiteral("a"));
        QVERIFY(form.window.statusNotice().contains(form.page.tempfile));
        QVERIFY(status->isVisible());
        QStatusTipEvent hovered{QString()};
        QApplication::sendEvent(form.window.window(), &hovered);
        tw.type(QStringLiteral("b"));
        QVERIFY(form.window.statusNotice().contains(form.page.tempfile));
        QVERIFY(status->isVisible());
    });
    QVERIFY(form.Text1.Text().contains(QStringLiteral("ab")));
    tw.type(QStringLiteral("c"));
    QVERIFY(!status->isVisible());
    QCOMPARE(tw.preview(), PreviewHeader + form.Text1.Text().toUtf8() + "\r\n");
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
