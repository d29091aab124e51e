#include "doubles/testwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QSet>
#include <QStatusBar>
#include <QTest>

#include <csignal>
#include <linux/capability.h>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Opening and saving pages on real bytes, and every way they can fail made real, also for root:
// small file systems in a mount namespace of the test's own, the capabilities that let root
// ignore permission bits switched off, and a file size limit.
namespace {
QString noPrivateMounts; // why the test has no mount namespace of its own, if it has none

bool writeProcFile(const char *path, const QByteArray &line)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::WriteOnly) && file.write(line) == line.size();
}

// Before any thread starts: mounts made later stay within this process.
void enterPrivateMounts()
{
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (unshare(uid == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        noPrivateMounts = QStringLiteral("no mount namespace: ") + qt_error_string(errno);
        return;
    }
    if (uid != 0 && !(writeProcFile("/proc/self/setgroups", "deny") &&
                      writeProcFile("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") &&
                      writeProcFile("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))) {
        noPrivateMounts = QStringLiteral("no user namespace mapping");
        return;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        noPrivateMounts = QStringLiteral("mounts not private: ") + qt_error_string(errno);
}

// A tmpfs of the given size on the folder, gone when the object goes.
class SmallDisk
{
public:
    SmallDisk(const QString &folder, int kilobytes)
        : m_folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        m_mounted = noPrivateMounts.isEmpty() &&
                    mount("tmpfs", m_folder.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            umount2(m_folder.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

// Permission bits count for this thread also when it runs as root.
class PermissionsEnforced
{
public:
    PermissionsEnforced()
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        syscall(SYS_capget, &header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &header, reduced);
    }
    ~PermissionsEnforced()
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        syscall(SYS_capset, &header, m_saved);
    }

private:
    __user_cap_data_struct m_saved[2];
};

// No file of this process grows beyond the limit: a write past it fails midway.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

const QString Suffix = QStringLiteral("_VLM_temp.html");
const QByteArray Header = QByteArrayLiteral(
    "<script>function killerr_for_vlm(){return true;}window.onerror=killerr_for_vlm;</script>\r\n");
} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void unencodableCharacterSavedAsReference();
    void openedPage();
    void chosenName_data();
    void chosenName();
    void newPage();
    void cancelledFirstDialogEndsTheProgram();
    void previewFileRefused();
    void cancelledDialogKeepsTheChangedPage();
    void refusalThenCancelledPromptKeepsThePage();
    void unreadablePage_data();
    void unreadablePage();
    void unreadablePageAtStartUpAsksAgain();
    void failedSave_data();
    void failedSave();
    void failedSaveKeepsThePageOpen_data();
    void failedSaveKeepsThePageOpen();
    void quitSavesTheChangedPage_data();
    void quitSavesTheChangedPage();
    void saveAs();
    void failedSaveAsRestoresThePage();
    void saveKeepsLinkAndPermissions();
    void unwritablePreview();

private:
    // A window with the page of these bytes open.
    static void openPage(TestWindow &tw, const QString &path, const QByteArray &bytes);
    static void type(TestWindow &tw, const QString &text);
    static void verifyToldAbout(TestWindow &tw, const QString &path, const QString &reason);
};

void TestDocuments::openPage(TestWindow &tw, const QString &path, const QByteArray &bytes)
{
    put(path, bytes);
    tw.dialog.files = {path};
    tw.load();
}

void TestDocuments::type(TestWindow &tw, const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, tw.form->Text1.editor(), Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    }
}

// A box named the file and the reason.
void TestDocuments::verifyToldAbout(TestWindow &tw, const QString &path, const QString &reason)
{
    for (const FakeMessageBox::Shown &box : std::as_const(tw.messageBox.shown)) {
        if (box.prompt.contains(path)) {
            QVERIFY2(box.prompt.contains(reason), qPrintable(box.prompt));
            QCOMPARE(box.buttons, 48);
            return;
        }
    }
    QFAIL("the user was not told");
}

void TestDocuments::roundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("saved");

    QTest::addRow("crlf") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\r\nb\r\n")
                          << QByteArray("a\r\nb\r\n");
    QTest::addRow("lf only") << QByteArray("a\nb\n") << QStringLiteral("a\nb\n")
                             << QByteArray("a\nb\n");
    QTest::addRow("mixed") << QByteArray("a\r\nb\nc\r\n\n") << QStringLiteral("a\r\nb\nc\r\n\n")
                           << QByteArray("a\r\nb\nc\r\n\n");
    QTest::addRow("no final break")
        << QByteArray("a\r\nb") << QStringLiteral("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::addRow("lone cr") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb\r\n")
                             << QByteArray("a\r\nb\r\n");
    QTest::addRow("empty") << QByteArray() << QString() << QByteArray("\r\n");
    QTest::addRow("utf-8")
        << QByteArray("<p>Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n")
        << QStringLiteral("<p>Grüße € \U0001F600\r\n")
        << QByteArray("<p>Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n");
    QTest::addRow("utf-8 with bom")
        << QByteArray("\xEF\xBB\xBF\xC3\xA9\r\n") << QStringLiteral("é\r\n")
        << QByteArray("\xEF\xBB\xBF\xC3\xA9\r\n");
    QTest::addRow("windows-1252") << QByteArray("\x93q\x94 \x80 \x81\x8D\x8F\x90\x9D \xE9\xFF\r\n")
                                  << QStringLiteral("“q” € \u0081\u008D\u008F\u0090\u009D éÿ\r\n")
                                  << QByteArray("\x93q\x94 \x80 \x81\x8D\x8F\x90\x9D \xE9\xFF\r\n");
    QTest::addRow("bom then invalid utf-8")
        << QByteArray("\xEF\xBB\xBF\xE9\r\n") << QStringLiteral("ï»¿é\r\n")
        << QByteArray("\xEF\xBB\xBF\xE9\r\n");
}

// Opening and saving without edits changes no byte, but for the final line break that a page
// without one gains and the lone CR that becomes CR LF; saving again changes nothing more.
void TestDocuments::roundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(QByteArray, saved);

    TestWindow tw;
    const QString path = tw.folder.filePath(QStringLiteral("page.htm"));
    openPage(tw, path, file);
    QCOMPARE(tw.form->Text1.Text(), text);
    QCOMPARE(tw.form->page.ischanged, qint16(0));
    tw.form->save_Click();
    QCOMPARE(bytesOf(path), saved);

    tw.dialog.files = {path};
    tw.form->open_Click();
    tw.form->save_Click();
    QCOMPARE(bytesOf(path), saved);
}

void TestDocuments::unencodableCharacterSavedAsReference()
{
    TestWindow tw;
    const QString path = tw.folder.filePath(QStringLiteral("old.htm"));
    openPage(tw, path, QByteArray("caf\xE9\r\n"));
    tw.form->Text1.setSelStart(4);
    type(tw, QStringLiteral("€Ω"));
    QTest::sendKeyEvent(QTest::Click, tw.form->Text1.editor(), Qt::Key_unknown,
                        QStringLiteral("\U0001F600"), Qt::NoModifier);
    QCOMPARE(bytesOf(tw.form->page.tempfile),
             Header + "<meta charset=\"windows-1252\">\r\ncaf\xE9\x80&#937;&#128512;\r\n\r\n");
    tw.form->save_Click();
    QCOMPARE(bytesOf(path), QByteArray("caf\xE9\x80&#937;&#128512;\r\n"));
}

void TestDocuments::openedPage()
{
    TestWindow tw;
    const QString path = tw.folder.filePath(QStringLiteral("a.htm"));
    openPage(tw, path, QByteArray("<p>a</p>\r\n"));
    Form1 &form = *tw.form;
    QCOMPARE(form.page.editingfile, path);
    QCOMPARE(form.window.Caption(), path + QStringLiteral(" -- Velmora"));
    QCOMPARE(form.page.tempfile, path + Suffix);
    QCOMPARE(form.page.isopening, qint16(0));
    QCOMPARE(form.page.ischanged, qint16(0));
    QCOMPARE(bytesOf(form.page.tempfile), QByteArray("<p>a</p>\r\n\r\n"));
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + form.page.tempfile);
    QCOMPARE(tw.dialog.shownTitles, {QStringLiteral("Open or type a name to start a new page.")});
    QCOMPARE(tw.dialog.shownFilters,
             {QStringLiteral("HTML Files(*.htm,*.html)|*.htm*|All Files|*.*")});
}

void TestDocuments::chosenName_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("editingfile");

    QTest::addRow("name typed without .html") << "b.html"
                                              << "b"
                                              << "b.html";
    QTest::addRow("upper-case extension") << "c.HTM"
                                          << "c.HTM"
                                          << "c.HTM";
    QTest::addRow("text file") << "notes.txt"
                               << "notes.txt"
                               << "notes.txt.html";
    QTest::addRow(".htm inside the name") << "x.htm.bak"
                                          << "x.htm.bak"
                                          << "x.htm.bak";
}

// The page is loaded from the name chosen, or from the page that name stands for, and Save
// writes to the page's path.
void TestDocuments::chosenName()
{
    QFETCH(QString, existing);
    QFETCH(QString, chosen);
    QFETCH(QString, editingfile);

    TestWindow tw;
    put(tw.folder.filePath(existing), "old\r\n");
    tw.dialog.files = {tw.folder.filePath(chosen)};
    tw.load();
    QCOMPARE(tw.form->page.editingfile, tw.folder.filePath(editingfile));
    QCOMPARE(tw.form->Text1.Text(), QStringLiteral("old\r\n"));
    QVERIFY(tw.messageBox.shown.isEmpty());
    type(tw, QStringLiteral("x"));
    tw.form->save_Click();
    QCOMPARE(bytesOf(tw.folder.filePath(editingfile)), QByteArray("xold\r\n"));
    const QStringList files = QDir(tw.folder.path()).entryList(QDir::Files);
    QCOMPARE(QSet<QString>(files.begin(), files.end()),
             QSet<QString>({existing, editingfile, editingfile + Suffix}));
}

void TestDocuments::newPage()
{
    TestWindow tw;
    tw.load();
    Form1 &form = *tw.form;
    const QString body = QStringLiteral("<HTML>\r\n<HEAD>\r\n   <TITLE></TITLE>\r\n</head>\r\n"
                                        "<BODY>\r\n");
    QCOMPARE(form.Text1.Text(), body + QStringLiteral("\r\n\r\n</BODY>\r\n</HTML>") +
                                    QStringLiteral("\r\n").repeated(6));
    QCOMPARE(form.Text1.SelStart(), int(body.size()));
    QCOMPARE(tw.messageBox.shown.size(), 1);
    QCOMPARE(tw.messageBox.shown.at(0).prompt,
             QString(10, u' ') + QStringLiteral("New    File !") + QString(10, u' '));
    QCOMPARE(tw.messageBox.shown.at(0).buttons, 48);
    QCOMPARE(tw.messageBox.shown.at(0).title, QStringLiteral("Attention"));
    QCOMPARE(form.page.ischanged, qint16(0));
    QVERIFY(!QFile::exists(tw.pagePath()));
    QCOMPARE(bytesOf(form.page.tempfile), form.Text1.Text().toUtf8() + "\r\n");
    form.save_Click();
    QCOMPARE(bytesOf(tw.pagePath()), form.Text1.Text().toUtf8());
}

void TestDocuments::cancelledFirstDialogEndsTheProgram()
{
    TestWindow tw;
    tw.dialog.files = {std::nullopt};
    tw.load();
    QVERIFY(tw.form->hasEnded());
    QVERIFY(QDir(tw.folder.path()).isEmpty());
}

void TestDocuments::previewFileRefused()
{
    TestWindow tw;
    tw.dialog.files = {tw.pagePath() + Suffix, tw.pagePath()};
    tw.load();
    QCOMPARE(tw.dialog.shownTitles.size(), 2);
    QCOMPARE(tw.messageBox.shown.at(0).prompt,
             QStringLiteral("This is the temp file for VLM,Select another!"));
    QCOMPARE(tw.messageBox.shown.at(0).buttons, 0);
    QCOMPARE(tw.messageBox.shown.at(0).title, QStringLiteral("VLM"));
    QCOMPARE(tw.form->page.editingfile, tw.pagePath());
}

void TestDocuments::cancelledDialogKeepsTheChangedPage()
{
    TestWindow tw;
    tw.load();
    type(tw, QStringLiteral("x"));
    const QString text = tw.form->Text1.Text();
    tw.messageBox.answers = {MessageBox::No};
    tw.dialog.files = {std::nullopt};
    tw.form->open_Click();
    QCOMPARE(tw.form->Text1.Text(), text);
    QCOMPARE(tw.form->page.ischanged, qint16(1));
    QCOMPARE(tw.form->page.isopening, qint16(0));
    QCOMPARE(bytesOf(tw.form->page.tempfile), text.toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + tw.form->page.tempfile);
}

// The dialog shown again after the refusal asks about the changed page again; cancelling that
// question leaves the page as it was, followed by its preview.
void TestDocuments::refusalThenCancelledPromptKeepsThePage()
{
    TestWindow tw;
    tw.load();
    type(tw, QStringLiteral("x"));
    tw.messageBox.answers = {MessageBox::No, MessageBox::Ok, MessageBox::Cancel};
    tw.dialog.files = {tw.form->page.tempfile};
    tw.form->open_Click();
    QCOMPARE(tw.messageBox.shown.size(), 4); // New File, question, refusal, question
    QCOMPARE(tw.messageBox.shown.at(3).buttons, 35);
    QCOMPARE(tw.form->page.isopening, qint16(0));
    QVERIFY(QFile::exists(tw.form->page.tempfile));
    type(tw, QStringLiteral("y"));
    QVERIFY(bytesOf(tw.form->page.tempfile).startsWith(Header));
    QVERIFY(tw.form->Text1.Text().contains(QStringLiteral("xy")));
}

void TestDocuments::unreadablePage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::addRow("no read permission") << "locked"
                                        << "Permission denied";
    QTest::addRow("folder") << "folder"
                            << "folder";
    QTest::addRow("device") << "device"
                            << "device";
    QTest::addRow("pipe") << "pipe"
                          << "pipe";
}

// The user is told which file and why; the page that was open stays whole, preview included.
void TestDocuments::unreadablePage()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    TestWindow tw;
    tw.load();
    type(tw, QStringLiteral("x"));
    Form1 &form = *tw.form;
    const QString text = form.Text1.Text();
    const QString caption = form.window.Caption();

    QString path = tw.folder.filePath(kind);
    if (kind == QLatin1String("locked")) {
        put(path, "secret\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("device")) {
        path = QStringLiteral("/dev/zero");
    } else {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    tw.messageBox.answers = {MessageBox::No};
    tw.dialog.files = {path};
    {
        PermissionsEnforced enforced;
        form.open_Click();
    }
    verifyToldAbout(tw, path, reason);
    QCOMPARE(form.Text1.Text(), text);
    QCOMPARE(form.page.editingfile, tw.pagePath());
    QCOMPARE(form.page.tempfile, tw.pagePath() + Suffix);
    QCOMPARE(form.window.Caption(), caption);
    QCOMPARE(form.page.ischanged, qint16(1));
    QCOMPARE(form.page.isopening, qint16(0));
    QCOMPARE(bytesOf(form.page.tempfile), text.toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + form.page.tempfile);
    type(tw, QStringLiteral("y"));
    QCOMPARE(bytesOf(form.page.tempfile), Header + form.Text1.Text().toUtf8() + "\r\n");
}

void TestDocuments::unreadablePageAtStartUpAsksAgain()
{
    TestWindow tw;
    const QString folder = tw.folder.filePath(QStringLiteral("site.htm"));
    QVERIFY(QDir().mkpath(folder));
    tw.dialog.files = {folder, tw.pagePath()};
    tw.load();
    verifyToldAbout(tw, folder, QStringLiteral("folder"));
    QCOMPARE(tw.dialog.shownTitles.size(), 2);
    QCOMPARE(tw.form->page.editingfile, tw.pagePath());
    QVERIFY(!tw.form->hasEnded());
}

void TestDocuments::failedSave_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reason");

    QTest::addRow("read-only folder") << "read-only"
                                      << "Permission denied";
    QTest::addRow("full disk") << "full"
                               << "No space left on device";
    QTest::addRow("size limit midway") << "limit"
                                       << "File too large";
    QTest::addRow("folder gone") << "gone"
                                 << "No such file or directory";
}

// The old page stays byte for byte, the user is told which file and why, and the page stays
// changed under its name.
void TestDocuments::failedSave()
{
    QFETCH(QString, failure);
    QFETCH(QString, reason);

    TestWindow tw;
    const QString folder = tw.folder.filePath(QStringLiteral("site"));
    const QString path = folder + QStringLiteral("/page.html");
    QVERIFY(QDir().mkpath(folder));
    std::optional<SmallDisk> disk;
    if (failure == QLatin1String("full")) {
        disk.emplace(folder, 16);
        if (!disk->mounted())
            QSKIP(qPrintable(QStringLiteral("no small file system: ") + noPrivateMounts));
    }
    const QByteArray old = "old page\r\n";
    openPage(tw, path, old);
    Form1 &form = *tw.form;
    const QString caption = form.window.Caption();
    form.Text1.setText(QString(20000, u'n'));
    const QByteArray preview = bytesOf(form.page.tempfile);

    if (failure == QLatin1String("read-only")) {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        PermissionsEnforced enforced;
        form.save_Click();
    } else if (failure == QLatin1String("limit")) {
        FileSizeLimit limit(4096);
        form.save_Click();
    } else if (failure == QLatin1String("gone")) {
        QVERIFY(QDir(folder).removeRecursively());
        form.save_Click();
    } else {
        form.save_Click();
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    verifyToldAbout(tw, path, reason);
    if (failure != QLatin1String("gone")) {
        QCOMPARE(bytesOf(path), old);
        QCOMPARE(bytesOf(form.page.tempfile), preview);
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2); // no temporary file left
    }
    QCOMPARE(form.page.ischanged, qint16(1));
    QCOMPARE(form.page.editingfile, path);
    QCOMPARE(form.window.Caption(), caption);
}

void TestDocuments::failedSaveKeepsThePageOpen_data()
{
    QTest::addColumn<QString>("command");
    QTest::addRow("exit") << "exit";
    QTest::addRow("window close") << "close";
    QTest::addRow("open") << "open";
}

// A page that could not be written keeps the window and the page, changed, with its preview.
void TestDocuments::failedSaveKeepsThePageOpen()
{
    QFETCH(QString, command);

    TestWindow tw;
    tw.load();
    type(tw, QStringLiteral("x"));
    Form1 &form = *tw.form;
    const QString text = form.Text1.Text();
    const QByteArray preview = bytesOf(form.page.tempfile);
    tw.messageBox.answers = {MessageBox::Yes};
    tw.dialog.files = {tw.folder.filePath(QStringLiteral("other.html"))};
    QVERIFY(
        QFile::setPermissions(tw.folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    {
        PermissionsEnforced enforced;
        if (command == QLatin1String("exit"))
            form.exit_Click();
        else if (command == QLatin1String("close"))
            QVERIFY(!form.window.window()->close());
        else
            form.open_Click();
    }
    QFile::setPermissions(tw.folder.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    verifyToldAbout(tw, tw.pagePath(), QStringLiteral("Permission denied"));
    QVERIFY(!form.hasEnded());
    QVERIFY(form.window.window()->isVisible());
    QCOMPARE(form.Text1.Text(), text);
    QCOMPARE(form.page.editingfile, tw.pagePath());
    QCOMPARE(form.page.ischanged, qint16(1));
    QCOMPARE(form.page.isopening, qint16(0));
    QCOMPARE(bytesOf(form.page.tempfile), preview);
    QCOMPARE(tw.dialog.shownTitles.size(), 1); // the first page's dialog only
}

void TestDocuments::quitSavesTheChangedPage_data()
{
    QTest::addColumn<bool>("close");
    QTest::addRow("exit") << false;
    QTest::addRow("window close") << true;
}

void TestDocuments::quitSavesTheChangedPage()
{
    QFETCH(bool, close);

    TestWindow tw;
    tw.load();
    type(tw, QStringLiteral("x"));
    tw.messageBox.answers = {MessageBox::Yes};
    if (close)
        QVERIFY(tw.form->window.window()->close());
    else
        tw.form->exit_Click();
    QVERIFY(tw.form->hasEnded());
    QCOMPARE(bytesOf(tw.pagePath()), tw.form->Text1.Text().toUtf8());
    QVERIFY(!QFile::exists(tw.form->page.tempfile));
    QCOMPARE(tw.messageBox.shown.size(), 2); // New File, the question
}

// A cancelled Save As shows the page's preview again; a completed one moves it beside the new
// path.
void TestDocuments::saveAs()
{
    TestWindow tw;
    tw.load();
    type(tw, QStringLiteral("x"));
    Form1 &form = *tw.form;
    const QString oldPreview = form.page.tempfile;
    form.saveas_Click();
    QCOMPARE(form.page.ischanged, qint16(1));
    QCOMPARE(bytesOf(oldPreview), form.Text1.Text().toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + oldPreview);

    const QString path = tw.folder.filePath(QStringLiteral("new.html"));
    tw.dialog.files = {tw.folder.filePath(QStringLiteral("new"))};
    form.saveas_Click();
    QCOMPARE(tw.dialog.shownFilters.constLast(),
             QStringLiteral("HTML Files(*.htm,*.html)|*.htm*|All Files(*.*)|*.*"));
    QCOMPARE(form.page.editingfile, path);
    QCOMPARE(form.window.Caption(), path + QStringLiteral("--Velmora"));
    QCOMPARE(form.page.tempfile, path + Suffix);
    QCOMPARE(form.page.ischanged, qint16(0));
    QCOMPARE(bytesOf(path), form.Text1.Text().toUtf8());
    QCOMPARE(bytesOf(form.page.tempfile), form.Text1.Text().toUtf8() + "\r\n");
    QVERIFY(!QFile::exists(oldPreview));
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + form.page.tempfile);
}

void TestDocuments::failedSaveAsRestoresThePage()
{
    TestWindow tw;
    tw.load();
    type(tw, QStringLiteral("x"));
    Form1 &form = *tw.form;
    const QString caption = form.window.Caption();
    const QString locked = tw.folder.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(locked));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    tw.dialog.files = {locked + QStringLiteral("/new.html")};
    {
        PermissionsEnforced enforced;
        form.saveas_Click();
    }
    verifyToldAbout(tw, locked + QStringLiteral("/new.html"), QStringLiteral("Permission denied"));
    QCOMPARE(form.page.editingfile, tw.pagePath());
    QCOMPARE(form.page.tempfile, tw.pagePath() + Suffix);
    QCOMPARE(form.window.Caption(), caption);
    QCOMPARE(form.page.ischanged, qint16(1));
    QCOMPARE(bytesOf(form.page.tempfile), form.Text1.Text().toUtf8() + "\r\n");
    QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + form.page.tempfile);
}

void TestDocuments::saveKeepsLinkAndPermissions()
{
    TestWindow tw;
    const QString target = tw.folder.filePath(QStringLiteral("real.html"));
    const QString link = tw.folder.filePath(QStringLiteral("link.html"));
    put(target, "old\r\n");
    QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadGroup));
    QVERIFY(QFile::link(target, link));
    tw.dialog.files = {link};
    tw.load();
    type(tw, QStringLiteral("x"));
    tw.form->save_Click();
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(bytesOf(target), QByteArray("xold\r\n"));
    QCOMPARE(QFile::permissions(target), QFileDevice::ReadOwner | QFileDevice::ReadUser |
                                             QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                             QFileDevice::ReadGroup);
}

// Editing goes on and the status bar says it once; when writing works again, the preview
// follows and the message goes.
void TestDocuments::unwritablePreview()
{
    TestWindow tw;
    tw.load();
    Form1 &form = *tw.form;
    QStatusBar *status = form.window.window()->statusBar();
    QVERIFY(QFile::remove(form.page.tempfile));
    QVERIFY(
        QFile::setPermissions(tw.folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    {
        PermissionsEnforced enforced;
        type(tw, QStringLiteral("a"));
        QVERIFY(status->currentMessage().contains(form.page.tempfile));
        QVERIFY(status->isVisible());
        status->clearMessage();
        type(tw, QStringLiteral("b"));
        QVERIFY(status->currentMessage().isEmpty());
    }
    QVERIFY(form.Text1.Text().contains(QStringLiteral("ab")));
    QVERIFY(QFile::setPermissions(tw.folder.path(), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner));
    type(tw, QStringLiteral("c"));
    QVERIFY(!status->isVisible());
    QCOMPARE(bytesOf(form.page.tempfile), Header + form.Text1.Text().toUtf8() + "\r\n");
}

int main(int argc, char *argv[])
{
    enterPrivateMounts();
    QApplication app(argc, argv);
    TestDocuments test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_documents.moc"
