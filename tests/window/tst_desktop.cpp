#include "doubles/testwindow.h"

#include "app/layout.h"
#include "editor/markuphighlighter.h"
#include "platform/contrast.h"
#include "platform/fonts.h"

#include "app/commandline.h"
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRawFont>
#include <QScopeGuard>
#include <QTest>

namespace {
// The most contrasting pixel of the rows against the colour at their left edge.
double rowContrast(const QImage &image, int top, int bottom)
{
    const QColor background = image.pixelColor(2, (top + bottom) / 2);
    double best = 1;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width() * 2 / 3; ++x)
            best = std::max(best, Contrast::ratio(image.pixelColor(x, y), background));
    return best;
}

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

// The window on every desktop: its faces, palettes, characters and screen readers; a
// page named on the command line opens at start-up as if chosen in the first open dialog; help,
// version and mistakes end the program before any window, also without a display.
class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void designedFaces();
    void palettes_data();
    void palettes();
    void accessibleNames();
    void captionsFitInStandInFaces();
    void startUp_data();
    void startUp();
    void endsBeforeTheWindow_data();
    void endsBeforeTheWindow();
};

// Characters that Fixedsys claims but draws as a box come from a fallback face; above ratio 1,
// whose cells would blow up its glyphs, a scalable face with the same cell stands in.
void TestDesktop::designedFaces()
{
    QFile file(Fonts::designedFacesFolder() + QStringLiteral("/fixedsys.ttf"));
    if (!file.open(QIODevice::ReadOnly))
        QSKIP("no fonts-wine");
    const QByteArray original = file.readAll();
    const QString characters = QStringLiteral("\u20ac\u2018\u2019\u201c\u201d\u2013\u2014\u2026");
    const QList<char32_t> boxed = Fonts::boxedCharacters(QRawFont(original, 15));
    const QRawFont cleaned(Fonts::withoutBoxedCharacters(original), 15);
    QVERIFY(cleaned.supportsCharacter(u'A') && cleaned.supportsCharacter(u'\u00e9'));
    for (const QChar c : characters)
        QVERIFY(boxed.contains(c.unicode()) && !cleaned.supportsCharacter(c));

    const QFont designed = Fonts::designed(QStringLiteral("Fixedsys"), 12, true);
    QCOMPARE(QFontInfo(designed).family(), QStringLiteral("Fixedsys"));
    QCOMPARE(Fonts::atRatio(designed, 1), designed);
    const QFont standIn = Fonts::atRatio(designed, 2);
    QVERIFY(QFontDatabase::isSmoothlyScalable(QFontInfo(standIn).family()));
    QVERIFY(qAbs(QFontMetricsF(standIn).height() - QFontMetricsF(designed).height()) < 1);
}

void TestDesktop::palettes_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addRow("light") << QApplication::palette();
    QPalette dark(Qt::white, QColor(45, 45, 45), Qt::white, Qt::black, Qt::gray, Qt::white,
                  Qt::white, QColor(30, 30, 30), QColor(45, 45, 45));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    QTest::addRow("dark") << dark;
}

// Every markup colour reads on the editor's background, the lists' text and their selected
// item on the lists' designed backgrounds; on the light palette the designed colours stay.
void TestDesktop::palettes()
{
    QFETCH(QPalette, palette);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    TestWindow tw;
    tw.loadPage("<!DOCTYPE html><!-- c --><p class=\"v\">&amp;<script>s</script>"
                "<style>t</style>\r\n");
    Form1 &form = *tw.form;
    QPlainTextEdit *editor = form.Text1.editor();
    const QImage shot = editor->viewport()->grab().toImage();
    const QColor background = shot.pixelColor(shot.width() - 2, shot.height() - 2);
    QCOMPARE(background, palette.color(QPalette::Base));
    QSet<QRgb> shown;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < shot.width(); ++x)
            shown.insert(shot.pixel(x, y));
    for (int kind = 0; kind < MarkupScanner::KindCount; ++kind) {
        const QColor colour = MarkupHighlighter::colour(MarkupScanner::Kind(kind), background);
        QVERIFY2(shown.contains(colour.rgb()), qPrintable(colour.name()));
        QVERIFY(Contrast::ratio(colour, background) >= 4.5);
        if (qstrcmp(QTest::currentDataTag(), "light") == 0)
            QCOMPARE(colour, MarkupHighlighter::colour(MarkupScanner::Kind(kind)));
    }

    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_End);
    tw.type(QStringLiteral("<t"));
    for (ListControl *control : {&form.List1, &form.List2}) {
        control->setVisible(true);
        control->setListIndex(1);
        QListWidget *list = control->list();
        const QImage items = list->viewport()->grab().toImage();
        for (const int row : {1, 2}) { // selected, and not
            const QRect item = list->visualItemRect(list->item(row));
            QVERIFY2(rowContrast(items, item.top(), item.bottom()) >= 7, QByteArray::number(row));
        }
    }
}

// Screen readers hear a name for every control, the find boxes named by their captions, and
// nothing of the closed panel.
void TestDesktop::accessibleNames()
{
    TestWindow tw;
    tw.load();
    Form1 &f = *tw.form;
    const std::pair<Control *, const char *> named[] = {
        {&f.Text1, "Page source"},     {&f.WebBrowser1, "Preview"}, {&f.Text2, "Content:"},
        {&f.Text3, "Replace:"},        {&f.Check1, "Match case"},   {&f.Command1, "Find (next)"},
        {&f.Command2, "Replace"},      {&f.Command3, "Close(F3)"},  {&f.Command4, "Rp all"},
        {&f.List1, "Tags and values"}, {&f.List2, "Attributes"}};
    for (const auto &[control, name] : named) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control->widget());
        QCOMPARE(face->text(QAccessible::Name), QString::fromUtf8(name));
    }
    const auto relation =
        QAccessible::queryAccessibleInterface(f.Text2.widget())->relations(QAccessible::Label);
    QVERIFY(!relation.isEmpty() && relation.first().first->object() == f.Label1.widget());
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(f.Text2.widget());
    QVERIFY(box->state().invisible);
    tw.trigger(QStringLiteral("Find or Replace"));
    QVERIFY(!box->state().invisible);
    tw.trigger(QStringLiteral("Find or Replace"));
    QTRY_VERIFY(box->state().invisible);
}

// In a face wider than Tahoma the captions shrink until they fit, a label's before its box.
void TestDesktop::captionsFitInStandInFaces()
{
    QWidget window;
    window.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    Label label(&window, QStringLiteral("Content:"));
    TextBox box(&window);
    Button button(&window, QStringLiteral("Find (next)"));
    label.Move(120, 240, 975, 255);
    box.Move(840, 240, 2655, 315);
    button.Move(3600, 2880, 1095, 360);
    label.setBuddy(box);
    fitCaptions({&label, &button});
    QVERIFY(QFontMetrics(label.widget()->font()).horizontalAdvance(label.Caption()) <= 48);
    QVERIFY(label.widget()->font().pointSizeF() < 9);
    QVERIFY(QFontMetrics(button.widget()->font()).horizontalAdvance(button.Caption()) <= 73 - 8);
}

// Made before start-up ("name=content", "name/" a folder), the argument, the beginning of the
// one message ("{}" the folder), the dialogs shown (each answered "chosen.html"), the page opened
// (none when the program ended) and its text.
struct StartCase
{
    const char *files, *argument, *told;
    int dialogs;
    const char *page, *text;
};
Q_DECLARE_METATYPE(StartCase)

void TestDesktop::startUp_data()
{
    QTest::addColumn<StartCase>("c");
    QTest::newRow("existing page, relative path")
        << StartCase{"sub/ page.html=a\rb", "sub/../page.html", "", 0, "page.html", "a\r\nb\r\n"};
    QTest::newRow("unreadable page: told, then the dialog asks")
        << StartCase{"site.htm/ chosen.html=chosen\r\n",
                     "site.htm",
                     "Cannot open {}/site.htm:\r\n",
                     1,
                     "chosen.html",
                     "chosen\r\n"};
    QTest::newRow("preview file's name, dialog cancelled: the program ends") << StartCase{
        "", "x.html_VLM_temp.html", "This is the temp file for VLM,Select another!", 1, "", ""};
}

void TestDesktop::startUp()
{
    QFETCH(StartCase, c);
    TestWindow tw;
    const QString folder = tw.folder.path(), page = QString::fromUtf8(c.page);
    for (const QString &file : QString::fromUtf8(c.files).split(u' ', Qt::SkipEmptyParts)) {
        if (file.endsWith(u'/'))
            QVERIFY(QDir(folder).mkpath(file));
        else
            TestWindow::writeFile(tw.folder.filePath(file.section(u'=', 0, 0)),
                                  file.section(u'=', 1).toUtf8());
    }
    QStringList files = filesIn(folder);
    if (!page.isEmpty())
        tw.dialog.files.append(tw.folder.filePath(QStringLiteral("chosen.html")));

    const QString working = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder));
    const CommandLine parsed({QStringLiteral("velmora"), QString::fromUtf8(c.argument)});
    QDir::setCurrent(working);
    QCOMPARE(parsed.request(), CommandLine::Request::Start);

    Form1 &form = *tw.form;
    form.Form_Load(parsed.page());
    QCOMPARE(tw.dialog.shownTitles.size(), c.dialogs);
    const QString told = QString::fromUtf8(c.told).replace(QStringLiteral("{}"), folder);
    QCOMPARE(tw.messageBox.shown.size(), told.isEmpty() ? 0 : 1);
    QVERIFY(told.isEmpty() || tw.messageBox.shown.constFirst().prompt.startsWith(told));
    QCOMPARE(form.hasEnded(), page.isEmpty());
    if (!page.isEmpty()) {
        const QString path = tw.folder.filePath(page);
        QCOMPARE(form.Text1.Text(), QString::fromUtf8(c.text));
        QCOMPARE(form.window.Caption(), path + QStringLiteral(" -- Velmora"));
        QCOMPARE(TestWindow::bytesOf(path + Suffix), QByteArray(c.text) + "\r\n");
        QCOMPARE(tw.browser.calls.constLast(), QStringLiteral("Navigate ") + path + Suffix);
        files.append(page + Suffix);
        files.sort();
    }
    QCOMPARE(filesIn(folder), files);
}

void TestDesktop::endsBeforeTheWindow_data()
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
void TestDesktop::endsBeforeTheWindow()
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

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
