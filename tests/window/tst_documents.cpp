#include "doubles/testwindow.h"

#include "core/linebreaks.h"
#include "system/files.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

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
    void replacingAnotherFile_data();
    void replacingAnotherFile();
    void fileKept_data();
    void fileKept();
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
    // The encoding and the line breaks the page was read with go on to Save.
    row("mostly lf, a line typed", "a\nb\r\nc\n", QStringLiteral("a\r\nb\r\r\nc\r\n"),
        "x\na\nb\r\nc\n", QStringLiteral("x\r"));
    row("windows-1252 cannot hold it", "caf\xE9\r\n", QStringLiteral("caf\u00E9\r\n"),
        "\x80&#937;&#128512;caf\xE9\r\n", QStringLiteral("\u20AC\u03A9\U0001F600"));
    row("utf-16", QByteArray("\xFE\xFF\0a\0\r\0\n", 8), QStringLiteral("a\r\n"),
        QByteArray("\xFE\xFF\0x\0\r\0\n\0a\0\r\0\n", 14), QStringLiteral("x\r"));
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
    const QStringList lines = typed.split(u'\r'); // "\r" is Enter
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(form.Text1.editor(), Qt::Key_Return);
        tw.type(lines.at(i));
    }
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
    row("save a write-protected page", "Save", "", "write-protected", denied);
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
        letWritesFailOverSizeLimit(); // as the program does
        run();
        setrlimit(RLIMIT_FSIZE, &saved);
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
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2); // no temporary file left
    // Open and Save As show the preview again, which keeps the changes as typing wrote them.
    const bool shownAgain = saveAs || (command == QLatin1String("Open...") && !writing);
    // On a full disk no new preview can be written: the last good one stays.
    if (failure != QLatin1String("full disk"))
        QCOMPARE(tw.preview(), PreviewHeader + form.Text1.Text().toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), shownAgain
                                               ? QStringLiteral("Navigate ") + form.page.tempfile
                                               : QStringLiteral("Refresh"));
    tw.type(QStringLiteral("y"));
    if (failure != QLatin1String("full disk"))
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
    QCOMPARE(form.window.statusNotice(), QString());
    QCOMPARE(tw.preview(), PreviewHeader + form.Text1.Text().toUtf8() + "\r\n");
}

void TestDocuments::replacingAnotherFile_data()
{
    QTest::addColumn<QStringList>("files"); // "+name": made after the page was opened
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("savedAs"); // empty: Save
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("written");
    const auto row = [](const char *name, const QString &files, const char *chosen,
                        const char *savedAs, int answer, bool asked, const char *target,
                        bool written) {
        QTest::addRow("%s", name) << files.split(u' ', Qt::SkipEmptyParts)
                                  << QString::fromUtf8(chosen) << QString::fromUtf8(savedAs)
                                  << answer << asked << QString::fromUtf8(target) << written;
    };
    const int yes = MessageBox::Yes, no = MessageBox::No;
    row("b opened, b.html replaced", QStringLiteral("b b.html"), "b", "", yes, true, "b.html",
        true);
    row("notes.txt opened, notes.txt.html kept", QStringLiteral("notes.txt notes.txt.html"),
        "notes.txt", "", no, true, "notes.txt.html", false);
    row("b.html opened as b", QStringLiteral("b.html"), "b", "", no, false, "b.html", true);
    row("new page, made meanwhile", QStringLiteral("+new.html"), "new.html", "", no, true,
        "new.html", false);
    row("save as new.html", QStringLiteral("page.html new.html"), "page.html", "new.html", no,
        false, "new.html", true);
    row("save as the page's own name", QStringLiteral("page.html"), "page.html", "page", no, false,
        "page.html", true);
}

// A save that would replace a file other than the one the page was read from, under the name
// the program gives the page, asks first; No saves nothing and the page stays changed. Once
// the page is saved there, later saves ask nothing.
void TestDocuments::replacingAnotherFile()
{
    QFETCH(QStringList, files);
    QFETCH(QString, chosen);
    QFETCH(QString, savedAs);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(QString, target);
    QFETCH(bool, written);

    TestWindow tw;
    const auto make = [&](bool later) {
        for (const QString &file : std::as_const(files)) {
            if (file.startsWith(u'+') == later)
                put(tw.folder.filePath(file.mid(later ? 1 : 0)), file.toUtf8() + "\r\n");
        }
    };
    make(false);
    tw.dialog.files = {tw.folder.filePath(chosen)};
    tw.load();
    make(true);
    Form1 &form = *tw.form;
    const QString targetPath = tw.folder.filePath(target);
    const QByteArray before = bytesOf(targetPath);
    tw.type(QStringLiteral("x"));
    tw.messageBox.shown.clear();
    tw.messageBox.answers = {answer};
    const auto save = [&] {
        if (savedAs.isEmpty()) {
            tw.trigger(QStringLiteral("Save"));
        } else {
            tw.dialog.files = {tw.folder.filePath(savedAs)};
            tw.trigger(QStringLiteral("Save as..."));
        }
    };
    save();
    QCOMPARE(tw.messageBox.shown.size(), asked ? 1 : 0);
    if (asked) {
        const FakeMessageBox::Shown &box = tw.messageBox.shown.constFirst();
        QCOMPARE(box.prompt, targetPath + QStringLiteral(" already exists. Replace it?"));
        QCOMPARE(box.buttons, 36);
        QCOMPARE(box.title, QStringLiteral("Warning"));
    }
    QCOMPARE(bytesOf(targetPath), written ? form.Text1.Text().toUtf8() : before);
    QCOMPARE(form.page.ischanged, qint16(written ? 0 : 1));
    if (!written)
        return;
    tw.type(QStringLiteral("y"));
    form.save_Click();
    QCOMPARE(tw.messageBox.shown.size(), asked ? 1 : 0);
    QCOMPARE(bytesOf(targetPath), form.Text1.Text().toUtf8());
}

void TestDocuments::fileKept_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("told");
    QTest::addRow("name of 250 bytes in utf-8")
        << QString(81, u'\u00E9') + QStringLiteral("pp.html") << "";
    QTest::addRow("owner and group of another user") << "page.html"
                                                     << "";
    QTest::addRow("hard link") << "page.html"
                               << "page.html is saved as a new file; its other names (hard "
                                  "links) keep the old text.";
}

// Saving keeps the file's owner, group and permissions, also for another user's page saved by
// root; a name of the longest kind saves atomically; a page with other hard links becomes a
// file of its own, and the user is told once that the other names keep the old text.
void TestDocuments::fileKept()
{
    QFETCH(QString, page);
    QFETCH(QString, told);

    const bool otherUser = QTest::currentDataTag() == QByteArray("owner and group of another user");
    if (otherUser && geteuid() != 0)
        QSKIP("only root can give a file to another user");
    TestWindow tw;
    const QString path = tw.folder.filePath(page);
    const QString link = tw.folder.filePath(QStringLiteral("link.html"));
    const bool hardLink = QTest::currentDataTag() == QByteArray("hard link");
    put(path, "old\r\n");
    // A root without the privilege (an unprivileged container) cannot either.
    if (otherUser && ::chown(QFile::encodeName(path).constData(), 65534, 65533) != 0)
        QSKIP(qPrintable(QStringLiteral("cannot give a file to another user here: ") +
                         QString::fromLocal8Bit(strerror(errno))));
    // Root may not read another user's page in this test, where permission bits bind it.
    const auto mode =
        otherUser ? QFileDevice::Permissions(0x6666)
                  : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, mode));
    if (hardLink)
        QVERIFY2(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) ==
                     0,
                 strerror(errno));
    tw.dialog.files = {path};
    tw.load();
    Form1 &form = *tw.form;
    tw.type(QStringLiteral("x"));
    tw.messageBox.shown.clear();
    form.save_Click();
    QCOMPARE(bytesOf(path), QByteArray("xold\r\n"));
    const QFileInfo saved(path);
    QCOMPARE(saved.ownerId(), otherUser ? 65534u : geteuid());
    QCOMPARE(saved.groupId(), otherUser ? 65533u : getegid());
    const auto notUser = QFileDevice::Permissions(0x7077); // the bits of the file itself
    QCOMPARE(QFile::permissions(path) & notUser, mode & notUser);
    QCOMPARE(tw.messageBox.shown.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty()) {
        verifyTold(tw, {told.replace(QStringLiteral("page.html"), path)});
        QCOMPARE(tw.messageBox.shown.constFirst().buttons, 64);
        QCOMPARE(bytesOf(link), QByteArray("old\r\n"));
    }
    tw.type(QStringLiteral("y"));
    form.save_Click();
    QCOMPARE(bytesOf(path), QByteArray("xyold\r\n"));
    QCOMPARE(tw.messageBox.shown.size(), told.isEmpty() ? 0 : 1);
    // No temporary file is left beside the page.
    QStringList expected{saved.fileName()};
    if (hardLink)
        expected.append(QStringLiteral("link.html"));
    if (QFile::exists(form.page.tempfile))
        expected.append(QFileInfo(form.page.tempfile).fileName());
    const QString lock = u'.' + QFileInfo(form.page.tempfile).fileName() + QStringLiteral(".lock");
    if (QFile::exists(tw.folder.filePath(lock)))
        expected.append(lock);
    expected.sort();
    QCOMPARE(QDir(tw.folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
