#include "assisttesting.h"

#include "app/commandline.h"
#include "app/layout.h"
#include "editor/markuphighlighter.h"
#include "platform/contrast.h"
#include "platform/fonts.h"
#include "platform/units.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRawFont>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>

using namespace AssistTesting;

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

// A font chosen in the dialog, and the size as the settings file holds it.
struct FontCase
{
    const char *locale, *name;
    double size;
    bool bold;
    const char *sizeText;
};
Q_DECLARE_METATYPE(FontCase)

// Where everything comes to rest for a panel state and an inner size.
struct Settled
{
    bool open;
    double width, height, preview, panelTop, editorTop, editorHeight;
};
Q_DECLARE_METATYPE(Settled)

// The text and selection before and after clicking buttons by number (1 Find, 2 Replace, 4 Rp
// all), the "Search complete!" boxes shown and the change events.
struct FindCase
{
    const char *text, *find, *replacement;
    int matchCase, selStart, selLength;
    const char *clicks, *result;
    int resultStart, resultLength, messages, changes;
};
Q_DECLARE_METATYPE(FindCase)

// The window as designed, its start-up, menus and shortcuts, the Font command; the find panel:
// opening and closing, its commands and focus; and the timer that glides the preview, the panel
// with its buttons and the editor to their places and stops there. The window on every desktop: its
// faces, palettes, characters and screen readers; a page named on the command line opens at
// start-up as if chosen in the first open dialog; help, version and mistakes end the program before
// any window, also without a display.
// Markup typed as a person types it: which pop-up list shows and which word it selects; Space,
// the arrows, Enter and Escape in and out of the lists; closing tags written behind the caret
// when ">" or Enter finishes an opening tag, and the ">" that Enter types first inside one;
// where a list appears: at the caret, inside the window's right and bottom edges, staying there.
// The page checks: the tags that pair, the moves to the partner, to a line and to the problems,
// the words underlined and the suggestions; what the right-hand part of the status bar says
// after the page is opened, typed in, moved through and saved.
class TestWindowStartup : public QObject
{
    Q_OBJECT

private slots:
    void designedWindow();
    void menusAndShortcuts();
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QFile::remove(IniSettingsStore::defaultFileName()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void fontChoice_data();
    void fontChoice();
    void openAndClose();
    void commands_data();
    void commands();
    void settles_data();
    void settles();
    void designedFaces();
    void palettes_data();
    void palettes();
    void accessibleNames();
    void startUp_data();
    void startUp();
    void endsBeforeTheWindow_data();
    void endsBeforeTheWindow();
    void completion_data();
    void completion() { checkKeyRow(); }
    void popupKeys_data();
    void popupKeys() { checkKeyRow(); }
    void closingTags_data();
    void closingTags() { checkKeyRow(); }
    void listAtTheCaret_data();
    void listAtTheCaret();
    void pageChecks_data();
    void pageChecks();
    void suggestionReplacesTheWord();
};

// Ticks until the timer stops; false if it never does.
static bool settle(Form1 &form)
{
    for (int tick = 0; tick < 1000 && form.Timer1.isRunning(); ++tick)
        form.Timer1_Timer();
    return !form.Timer1.isRunning();
}

static void verifySettled(const Form1 &form, const Settled &s)
{
    const auto near = [](double value, double expected) { return std::abs(value - expected) <= 1; };
    const double buttons = s.open ? s.panelTop - 2 : s.preview;
    QVERIFY(near(form.WebBrowser1.Width(), s.width));
    QVERIFY(near(form.WebBrowser1.Height(), s.preview));
    QVERIFY(near(form.Frame1.Top(), s.panelTop));
    QVERIFY(near(form.Command1.Top(), buttons) && near(form.Command2.Top(), buttons));
    QVERIFY(near(form.Command3.Top(), buttons + 600) && near(form.Command4.Top(), buttons + 600));
    QVERIFY(near(form.Text1.Top(), s.editorTop));
    QCOMPARE(form.Text1.Width(), s.width);
    QCOMPARE(form.Text1.Height(), s.editorHeight);
}

// The window as designed, and as it is once started, when the timer has glided everything into
// place and stopped.
void TestWindowStartup::designedWindow()
{
    TestWindow test;
    Form1 &f = *test.form;
    const QList<QPair<Control *, QRectF>> designed{
        {&f.WebBrowser1, {0, 0, 9975, 2895}},   {&f.Text1, {0, 3720, 8535, 3735}},
        {&f.List1, {840, 4920, 2055, 1080}},    {&f.List2, {3240, 4920, 2175, 1080}},
        {&f.Frame1, {1320, 2880, 7215, 975}},   {&f.Label1, {120, 240, 975, 255}},
        {&f.Text2, {840, 240, 2655, 315}},      {&f.Label2, {3720, 240, 1095, 255}},
        {&f.Text3, {4440, 240, 2655, 315}},     {&f.Check1, {840, 600, 1575, 255}},
        {&f.Command1, {3600, 2880, 1095, 360}}, {&f.Command2, {7200, 2880, 1095, 360}},
        {&f.Command3, {4800, 3480, 975, 360}},  {&f.Command4, {7200, 3480, 975, 360}}};
    for (const auto &[control, twips] : designed) {
        QCOMPARE(QRectF(control->Left(), control->Top(), control->Width(), control->Height()),
                 twips);
        QCOMPARE(control->widget()->geometry(),
                 QRect(Units::toPixelsX(twips.left()), Units::toPixelsY(twips.top()),
                       Units::toPixelsX(twips.width()), Units::toPixelsY(twips.height())));
    }

    QCOMPARE(f.window.Caption(), QStringLiteral("Velmora"));
    QVERIFY(!f.window.window()->windowIcon().isNull());
    const QStringList captions{f.Label1.Caption(),   f.Label2.Caption(),   f.Command1.Caption(),
                               f.Command2.Caption(), f.Command3.Caption(), f.Command4.Caption()};
    QCOMPARE(captions.join(u'|'),
             QStringLiteral("Content:|Replace:|Find (next)|Replace|Close(F3)|Rp all"));
    // With fonts-wine installed, the designed faces; the editor's bitmap face at its own
    // 15-pixel size, unscaled.
    const QFontInfo editor(f.Text1.editor()->font());
    QCOMPARE(QStringList({QFontInfo(f.window.window()->font()).family(),
                          QFontInfo(f.Check1.widget()->font()).family(), editor.family()})
                 .join(u' '),
             QStringLiteral("Tahoma Tahoma Fixedsys"));
    QCOMPARE(editor.pixelSize(), 15);
    QCOMPARE(f.Text1.FontSize(), 12.0);
    QVERIFY(!f.Text1.FontBold());
    const QFontMetrics editorFont(f.Text1.editor()->font());
    QCOMPARE(editorFont.horizontalAdvance(u'i'), editorFont.horizontalAdvance(u'W'));
    QCOMPARE(f.window.window()->font().pointSizeF(), 9.0);
    QCOMPARE(f.Check1.widget()->font().pointSizeF(), 7.5);
    QCOMPARE(f.List1.list()->palette().color(QPalette::Base), QColor(255, 255, 192));
    QCOMPARE(f.List2.list()->palette().color(QPalette::Base), QColor(192, 255, 192));

    test.load();
    QVERIFY(!f.hasEnded());
    QVERIFY(f.window.window()->isVisible());
    QVERIFY(!f.List1.Visible() && !f.List2.Visible());
    QCOMPARE(test.browser.calls.mid(0, 2),
             (QStringList{QStringLiteral("Navigate about:blank"), QStringLiteral("GoHome")}));
    // The real timer, started by the first resize, stops by itself.
    QTRY_VERIFY_WITH_TIMEOUT(!f.Timer1.isRunning(), 20000);
    verifySettled(f, {false, 9690, 7455, 3727.5, -975, 3727.5, 3727.5});
    // An empty inner area: the guards keep both heights off zero, the preview bouncing.
    f.window.setInnerSize(0, 0);
    QCOMPARE(f.Text1.Width(), 0.0);
    QCOMPARE(f.Text1.Height(), 0.0);
    QVERIFY(f.Timer1.isRunning() && settle(f));
    QCOMPARE(f.Text1.Height(), 200.0);
    QVERIFY(f.WebBrowser1.Height() >= 5 && f.WebBrowser1.Height() <= 15);

    QCOMPARE(f.List1.ListCount(), 104);
    QCOMPARE(f.List2.ListCount(), 46);
    const QStringList words{f.List1.List(0),  f.List1.List(5),  f.List1.List(22),
                            f.List1.List(86), f.List1.List(97), f.List1.List(103),
                            f.List2.List(0),  f.List2.List(28), f.List2.List(45)};
    QCOMPARE(words.join(u' '),
             QStringLiteral("a br> cols table tahoma _blank align onMouseMove width"));
}

// Every shortcut reaches its command from the editor, once, and Ctrl+Z is nbsp, not undo; the
// About box and the help of the Insert menu; New counting its pages up to its largest value.
void TestWindowStartup::menusAndShortcuts()
{
    TestWindow test;
    Form1 &f = *test.form;
    test.load();
    // New counts its pages up to the largest value it holds, and stays there.
    f.page.filenum = 32766;
    test.dialog.files = {std::nullopt, std::nullopt};
    for (int i = 0; i < 2; ++i) {
        f.new_Click();
        QCOMPARE(f.page.filenum, qint16(32767));
    }
    f.Text1.setText(QString());
    QStringList entries;
    for (QAction *menu : f.window.window()->menuBar()->actions()) {
        entries.append(menu->text() + u':');
        for (QAction *item : menu->menu()->actions()) {
            entries.append(item->isSeparator() ? QStringLiteral("-")
                                               : item->text() + u'|' + item->shortcut().toString());
            if (item->shortcut().isEmpty())
                continue;
            QSignalSpy triggered(item, &QAction::triggered);
            f.Text1.SetFocus();
            QTest::keySequence(f.Text1.editor(), item->shortcut());
            QVERIFY2(triggered.count() == 1, qPrintable(item->text()));
        }
    }
    QCOMPARE(entries.join(u' '),
             QStringLiteral("&File: New|Ctrl+N Open...|Ctrl+O Save|Ctrl+S Save as...| - Exit| "
                            "&Edit: Find or Replace|F3 Font...| "
                            "&Insert: <table...|Ctrl+T <p...|Ctrl+P <font...|Ctrl+F <a href...|F5 "
                            "<br>|Ctrl+B <img...|Ctrl+I <script...| <html...|Ctrl+H "
                            "<>...Other|F6 nbsp|Ctrl+Z - Insert Help|Ctrl+F1 "
                            "&About: About VLM|"));
    QVERIFY(f.Text1.Text().contains(QStringLiteral("<>&nbsp;</>")));

    test.messageBox.shown.clear();
    test.trigger(QStringLiteral("About VLM"));
    QCOMPARE(test.messageBox.shown.size(), 1);
    const FakeMessageBox::Shown box = test.messageBox.shown.first();
    QCOMPARE(box.buttons, 64);
    QCOMPARE(box.title, QStringLiteral("About VLM"));
    const QString spaces(30, u' ');
    QVERIFY(box.prompt.startsWith(spaces + QStringLiteral("Velmora") + spaces +
                                  QStringLiteral("\r\n") + QString(40, u' ') +
                                  QStringLiteral("version 1.53\r\n\r\n")));
    test.trigger(QStringLiteral("Insert Help"));
    QCOMPARE(test.messageBox.shown.constLast().prompt,
             QStringLiteral("If you select some characters before insert,\r\n"
                            "The tags would be added to the left and right."));
    QCOMPARE(test.messageBox.shown.constLast().title, QStringLiteral("VLM"));
}

void TestWindowStartup::fontChoice_data()
{
    QTest::addColumn<FontCase>("c");
    const auto row = [](const char *name, FontCase c) { QTest::newRow(name) << c; };
    row("10.5 bold", {"C", "Courier New", 10.5, true, "10.5"});
    row("decimal comma", {"de", "Courier New", 10.5, true, "10,5"});
    // The size is kept in single precision and written with seven significant digits.
    row("wide characters, 10.3", {"C", "新宋体", 10.3, false, "10.3"});
}

void TestWindowStartup::fontChoice()
{
    QFETCH(FontCase, c);
    const QString name = QString::fromUtf8(c.name);
    QLocale::setDefault(QLocale(QLatin1String(c.locale)));
    TestWindow test;
    test.load();
    test.dialog.fonts = {FakeCommonDialog::FontChoice{name, c.size, c.bold}, std::nullopt};
    test.form->font_Click();
    QCOMPARE(test.dialog.Flags(), 103);
    QCOMPARE(test.form->Text1.FontName(), name);
    QCOMPARE(float(test.form->Text1.FontSize()), float(c.size));
    QCOMPARE(test.form->Text1.FontBold(), c.bold);
    QSettings stored(test.settings.fileName(), QSettings::IniFormat);
    stored.beginGroup("HKEY_LOCAL_MACHINE/SOFTWARE/VLM");
    QCOMPARE(stored.value("FontName").toString() + u'|' + stored.value("FontSize").toString() +
                 u'|' + stored.value("FontBold").toString(),
             name + u'|' + QLatin1String(c.sizeText) + QLatin1String(c.bold ? "|True" : "|False"));

    // Cancel: the dialog still holds the choice, which must be neither applied nor stored.
    QVERIFY(QFile::remove(test.settings.fileName()));
    test.form->Text1.setFontSize(16);
    test.form->font_Click();
    QVERIFY(test.dialog.fonts.isEmpty()); // both dialogs shown
    QCOMPARE(test.form->Text1.FontSize(), 16.0);
    QVERIFY(!QFile::exists(test.settings.fileName()));
}

void TestWindowStartup::openAndClose()
{
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    QCOMPARE(form.Check1.Caption(), QStringLiteral("Match case"));
    form.Text1.setText(QStringLiteral("some text"));
    form.Text1.SetFocus();
    const double height = form.Text1.Height();
    // F3 opens and closes; then the menu entry opens and "Close(F3)" closes.
    for (const bool byKey : {true, false}) {
        form.Text1.setSelStart(5);
        byKey ? QTest::keyClick(form.Text1.editor(), Qt::Key_F3) : form.search_Click();
        QVERIFY(form.Frame1.Enabled() && form.Command1.Visible() && form.Command4.Visible());
        QVERIFY(form.Text2.lineEdit()->hasFocus());
        QCOMPARE(form.Text1.SelStart(), 0);
        QCOMPARE(form.Text1.Height(), height - 487.5);
        byKey ? QTest::keyClick(form.Text2.lineEdit(), Qt::Key_F3)
              : QTest::mouseClick(form.Command3.button(), Qt::LeftButton);
        QVERIFY(!form.Frame1.Enabled() && !form.Command1.Visible() && !form.Command4.Visible());
        QCOMPARE(form.Text1.Height(), height);
        QVERIFY(form.Text1.editor()->hasFocus());
    }
    // Only the focus arriving in the find box starts the search over; the focus coming back to
    // it after a menu (or another window, or a message box) leaves the caret where it is.
    QLineEdit *const findBox = form.Text2.lineEdit();
    form.search_Click();
    form.Text3.SetFocus();
    form.Text1.setSelStart(5);
    QTest::mouseClick(findBox, Qt::LeftButton);
    QTRY_VERIFY(findBox->hasFocus());
    QCOMPARE(form.Text1.SelStart(), 0);
    form.Text1.setSelStart(5);
    QMenu menu(form.window.window());
    menu.addAction(QStringLiteral("item"));
    menu.popup(form.window.window()->mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QTest::keyClick(&menu, Qt::Key_Escape);
    QTRY_VERIFY(findBox->hasFocus());
    QCOMPARE(form.Text1.SelStart(), 5);
    form.search_Click();

    // Too short a window: opening takes only what the editor has and closing gives it back.
    form.window.setInnerSize(9690, 300);
    form.search_Click();
    QCOMPARE(form.Text1.Height(), 0.0);
    form.search_Click();
    QCOMPARE(form.Text1.Height(), 150.0);
}

void TestWindowStartup::commands_data()
{
    QTest::addColumn<FindCase>("c");
    const auto row = [](const char *name, FindCase c) { QTest::newRow(name) << c; };
    row("case ignored", {"xx ABC abc", "abc", "x", 0, 0, 0, "11", "xx ABC abc", 7, 3, 0, 0});
    row("match case", {"xx ABC abc", "abc", "x", 1, 0, 0, "1", "xx ABC abc", 7, 3, 0, 0});
    row("no overlap, no wrap", {"aaa", "aa", "x", 0, 0, 0, "111", "aaa", 0, 2, 2, 0});
    row("after a line break", {"ab\r\ncd", "cd", "x", 0, 0, 0, "1", "ab\r\ncd", 4, 2, 0, 0});
    row("empty find text", {"abc", "", "x", 0, 1, 1, "1", "abc", 2, 0, 0, 0});
    row("replace only searches", {"a b a", "a", "x", 0, 1, 0, "2", "a b a", 4, 1, 0, 0});
    row("replace any selection",
        {"one two one", "one", "x", 0, 4, 3, "2", "one x one", 6, 3, 0, 1});
    row("replaced not found again", {"a a a", "a", "ab", 0, 0, 1, "222", "ab ab ab", 6, 2, 1, 3});
    row("rp all exact", {"abc ABC", "abc", "x", 0, 0, 0, "4", "x ABC", 0, 0, 0, 1});
    row("rp all no overlap", {"aaa", "aa", "b", 0, 1, 0, "4", "ba", 0, 0, 0, 1});
    row("rp all, empty find text", {"abc", "", "x", 0, 1, 0, "4", "abc", 1, 0, 0, 0});
    row("rp all, nothing found", {"abc", "z", "x", 0, 1, 0, "4", "abc", 1, 0, 0, 0});
}

void TestWindowStartup::commands()
{
    QFETCH(FindCase, c);
    TestWindow test;
    test.load();
    test.messageBox.shown.clear(); // the new page's notice
    Form1 &form = *test.form;
    form.Text1.setText(QString::fromUtf8(c.text));
    form.search_Click();
    form.Text2.setText(QString::fromUtf8(c.find));
    form.Text3.setText(QString::fromUtf8(c.replacement));
    form.Check1.setValue(c.matchCase);
    form.Text1.setSelStart(c.selStart);
    form.Text1.setSelLength(c.selLength);
    int changes = 0;
    form.Text1.onChange([&] {
        ++changes;
        form.Text1_Change();
    });
    Button *const buttons[] = {&form.Command1, &form.Command2, &form.Command3, &form.Command4};
    for (const char *click = c.clicks; *click != 0; ++click)
        QTest::mouseClick(buttons[*click - '1']->button(), Qt::LeftButton);
    QCOMPARE(form.Text1.Text(), QString::fromUtf8(c.result));
    QCOMPARE(form.Text1.SelStart(), c.resultStart);
    QCOMPARE(form.Text1.SelLength(), c.resultLength);
    QCOMPARE(changes, c.changes);
    QCOMPARE(test.messageBox.shown.size(), c.messages);
    for (const FakeMessageBox::Shown &box : test.messageBox.shown)
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(box.prompt).arg(box.buttons).arg(box.title),
                 QStringLiteral("Search complete! 64 Result"));
    if (!QByteArray(c.clicks).endsWith('4'))
        QVERIFY(form.Text1.editor()->hasFocus());
}

void TestWindowStartup::settles_data()
{
    QTest::addColumn<Settled>("s");
    const auto row = [](const char *name, Settled s) { QTest::newRow(name) << s; };
    row("designed, closed", {false, 9690, 7455, 3727.5, -975, 3727.5, 3727.5});
    row("designed, open", {true, 9690, 7455, 3238, 3240, 4217, 3240});
    row("closed, larger", {false, 12000, 9000, 4500, -975, 4500, 4500});
    row("closed, smaller", {false, 6000, 3000, 1500, -975, 1500, 1500});
    row("open, larger", {true, 12000, 9000, 4010.5, 4012.5, 4989.5, 4012.5});
    row("open, half not above the panel", {true, 9690, 1950, 485.5, 487.5, 1464.5, 975});
    row("open, shorter than the panel", {true, 3000, 600, 0, -187.5, 789.5, 300});
}

// The editor's size follows a resize at once, the rest glides; the timer runs until all is in
// place; closing the panel afterwards gives the editor the lower half.
void TestWindowStartup::settles()
{
    QFETCH(Settled, s);
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    if (s.open)
        form.search_Click();
    QVERIFY(form.Timer1.isRunning() && settle(form));
    form.window.setInnerSize(s.width, s.height);
    QCOMPARE(form.Text1.Width(), s.width);
    QCOMPARE(form.Text1.Height(), s.editorHeight);
    QVERIFY(settle(form));
    verifySettled(form, s);
    if (s.open) {
        form.Command3_Click();
        QVERIFY(form.Timer1.isRunning() && settle(form));
        const double half = s.height / 2;
        verifySettled(form, {false, s.width, s.height, half, -975, half, half});
    }
}

// In a face wider than Tahoma the captions shrink until they fit, a label's before its box.
// Characters that Fixedsys claims but draws as a box come from a fallback face; above ratio 1,
// whose cells would blow up its glyphs, a scalable face with the same cell stands in.
void TestWindowStartup::designedFaces()
{
    const QFont designed = Fonts::designed(QStringLiteral("Fixedsys"), 12, true);
    if (qEnvironmentVariableIsSet("VELMORA_AT_RATIO")) { // the child started below
        TestWindow tw;
        tw.load();
        const QFont shown = tw.form->Text1.editor()->font();
        QVERIFY(QFontDatabase::isSmoothlyScalable(QFontInfo(shown).family()));
        QVERIFY(qAbs(QFontMetricsF(shown).height() - QFontMetricsF(designed).height()) < 1);
        return;
    }
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

    QCOMPARE(QFontInfo(designed).family(), QStringLiteral("Fixedsys"));
    QCOMPARE(Fonts::atRatio(designed, 1), designed);
    // On a screen of device pixel ratio 2 the editor shows a scalable face of the same height.
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    environment.insert(QStringLiteral("VELMORA_AT_RATIO"), QStringLiteral("2"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("designedFaces")});
    QVERIFY(child.waitForFinished(120000));
    QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
}

void TestWindowStartup::palettes_data()
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
void TestWindowStartup::palettes()
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
void TestWindowStartup::accessibleNames()
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

void TestWindowStartup::startUp_data()
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

void TestWindowStartup::startUp()
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

void TestWindowStartup::endsBeforeTheWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");

    const QString tryHelp = QStringLiteral("Try 'velmora --help' for more information.\n");
    const auto row = [&](const char *name, const char *arguments, int exitStatus,
                         const char *output, const char *error) {
        QTest::addRow("%s", name) << QString::fromUtf8(arguments).split(u',') << exitStatus
                                  << QString::fromUtf8(output)
                                  << (*error ? QStringLiteral("velmora: ") +
                                                   QString::fromUtf8(error) + u'\n' + tryHelp
                                             : QString());
    };
    row("version", "--version", 0, "Velmora " VELMORA_VERSION "\n", "");
    row("help", "--help", 0, "[options] [page]", "");
    row("unknown option", "--bogus,a.html", 2, "", "Unknown option 'bogus'.");
    row("unknown option, after a window-system one", "-style,Fusion,--bogus", 2, "",
        "Unknown option 'bogus'.");
    row("two pages", "a.html,b.html", 2, "",
        "Only one page can be opened at a time; 2 were named.");
    row("empty name", "", 2, "", "The name of the page is empty.");
}

// Run without a display: the program's own answers need none.
void TestWindowStartup::endsBeforeTheWindow()
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

void TestWindowStartup::completion_data()
{
    QTest::addColumn<KeyCase>("row");
    keyRow("bracket alone", "", 0, "<", "<", 1, "List1", "");
    keyRow("tag name", "", 0, "<ta", "<ta", 3, "List1 table", "ta");
    keyRow("closing tag", "", 0, "</ta", "</ta", 4, "List1 table", "ta");
    keyRow("capitals", "", 0, "<TA", "<TA", 3, "List1 table", "TA");
    // "area" comes before "arial" in the list.
    keyRow("quoted value", "", 0, "<font face=\"ar", "<font face=\"ar", 14, "List1 area", "font");
    keyRow("no word that long", "", 0, "<tablex", "<tablex", 7, "List1", "tablex");
    keyRow("space after the name", "", 0, "<table ", "<table ", 7, "List2", "table");
    keyRow("attribute name", "", 0, "<table bo", "<table bo", 9, "List2 border", "table");
    keyRow("event name", "", 0, "<a onm", "<a onm", 6, "List2 onMouseMove");
    keyRow("after =", "", 0, "<table border=", "<table border=", 14, "List1", "table");
    keyRow("space in a quoted value", "", 0, "<p title=\"xq ", "<p title=\"xq ", 13, "List2");
    keyRow("line break after a space", "<table \r\n", 9, "wi", "<table \r\nwi", 11, "List2 width");
    keyRow("closed tag", "", 0, "<i>", "<i></i>", 3, "");
    keyRow("script tag", "", 0, "<script la", "<script la", 10, "List2 language", "script");
    keyRow("script code", "<script>\r\n", 10, "if (i < n) let a = 1, b = 2;",
           "<script>\r\nif (i < n) let a = 1, b = 2;", 38, "");
}

void TestWindowStartup::popupKeys_data()
{
    QTest::addColumn<KeyCase>("row");
    keyRow("tag name", "", 0, "<ta ", "<table ", 7, "List2", "table");
    keyRow("capitals kept", "", 0, "<TA ", "<TAble ", 7, "List2");
    keyRow("closing tag", "", 0, "</ta ", "</table> ", 9, "");
    keyRow("quoted value", "", 0, "<font face=\"ari ", "<font face=\"arial\" ", 19, "List2");
    keyRow("quote there", "<font face=\"\">", 12, "ari ", "<font face=\"arial\" >", 19, "List2");
    keyRow("unquoted value", "", 0, "<font color=re ", "<font color=red ", 16, "List2");
    keyRow("attribute name", "", 0, "<table bo ", "<table border=", 14, "List1", "table");
    keyRow("event name", "", 0, "<a onm ", "<a onmouseMove=", 15, "List1");
    keyRow("shift space", "", 0, "<ta{Shift+Space}", "<ta ", 4, "List2");
    keyRow("nothing found", "", 0, "<tablex ", "<tablex ", 8, "List2");

    keyRow("up and down in the list", "", 0, "<ta{Down}{Down}{Up}", "<ta", 3, "List1 tbody*", "ta");
    keyRow("space in a list", "", 0, "<table b{Down} ", "<table background=", 18, "List1", "table");
    keyRow("list word for capitals", "", 0, "<TA{Down}{Up} ", "<table", 6, "List1 table", "table");
    keyRow("space in the list after home", "", 0, "<table bor{Home}{Down} ", "bordercolor=ble bor",
           12, "");
    keyRow("space in the list near the start", "", 0, "<ta{Home}{Right}{Down} ", "tbodya", 5, "");
    keyRow("ctrl+space", "", 0, "<ta{Ctrl+Space}", "<ta ", 4, "List2");
    keyRow("shift+enter closes the tag", "", 0, "<table{Shift+Return}", "<table></table>", 7, "");
    keyRow("keypad enter closes the tag", "", 0, "<table{Num+Enter}", "<table></table>", 7, "");
    keyRow("ctrl+enter after br", "", 0, "<br{Ctrl+Return}", "<br>\r\n", 6, "");
    keyRow("shift+enter after br", "", 0, "<br{Shift+Return}", "<br>\r\n", 6, "");
    keyRow("up at the first item", "", 0, "<A{Up}", "<A", 2, "List1 a", "A");
    keyRow("word already complete", "\r\nxyz", 0, "<table{Down}", "<table\r\nxyz", 11, "", "");
    keyRow("nothing selected", "", 0, "<td {Down}>", "<td> ", 4, "", "");

    keyRow("escape", "", 0, "<ta{Esc}", "<ta", 3, "", "ta");
    keyRow("left in the editor", "", 0, "<ta{Left}", "<ta", 2, "List1 table");
    keyRow("left in the list", "", 0, "<ta{Down}{Left}", "<ta", 3, "");
    keyRow("right in the list", "", 0, "<table b{Down}{Right}", "<table b", 8, "");
    keyRow("click", " abc", 0, "<ta{Click=7}", "<ta abc", 7, "", "ta");
    keyRow("backspace forgets the tag", " x>", 0, "<td{End}{Backspace}>", "<td x>", 6, "", "");
    keyRow("delete forgets the tag", " x>", 0, "<td{End}{Left}{Del}>", "<td x>", 6, "", "");
}

void TestWindowStartup::closingTags_data()
{
    QTest::addColumn<KeyCase>("row");
    keyRow("tag name", "", 0, "<table>", "<table></table>", 7, "", "");
    keyRow("after attributes", "", 0, "<table border=1>", "<table border=1></table>", 16, "");
    keyRow("after a space", "", 0, "<table >", "<table></table> ", 7, "");
    keyRow("enter", "", 0, "<table{Enter}", "<table></table>", 7, "");
    // Tags that take no closing tag, or whose closing tag is left out as a rule.
    for (const char *tag : {"<img>", "<br>", "<meta>", "<b>", "<li>", "<base>", "<basefont>",
                            "<dd>", "<dt>", "<input>", "<option>", "<frame>", "<iframe>"})
        keyRow(tag, "", 0, tag, tag, int(qstrlen(tag)), "");
    keyRow("capital IMG", "", 0, "<IMG>", "<IMG></IMG>", 5, "");
    keyRow("declaration", "", 0, "<!DOCTYPE html>", "<!DOCTYPE html>", 15, "");
    keyRow("closing tag", "", 0, "</table>", "</table>", 8, "");
    keyRow("path value", "", 0, "<a href=/x>", "<a href=/x>", 11, "");
    keyRow("quoted path value", "", 0, "<a href=\"/x\">", "<a href=\"/x\"></a>", 13, "");
    keyRow("closing tag already there", "</table>", 0, "<table>", "<table></table>", 7, "");
    keyRow("script tag", "", 0, "<script>", "<script></script>", 8, "");
    keyRow("script tag in capitals", "", 0, "<SCRIPT>", "<SCRIPT>", 8, "");
    keyRow("inside a script block", "<script>", 8, "<p>", "<script><p>", 11, "", "p");
    keyRow("after a script", "<SCRIPT></Script>", 17, "<p>", "<SCRIPT></Script><p></p>", 20, "");
    keyRow("open parenthesis", "if (a", 5, "<x>", "if (a<x>", 8, "", "");
    keyRow("closed parenthesis", "f(a) ", 5, "<x>", "f(a) <x></x>", 8, "");
    keyRow("click keeps the name", " abc", 0, "<td{Click=7}>", "<td abc></td>", 8, "");

    keyRow("enter after br", "", 0, "<br{Enter}", "<br>\r\n", 6, "");
    keyRow("enter with a > ahead", ">", 0, "<br{Enter}", "<br\r\n>", 5, "List1");
    keyRow("enter with a tag ahead", "<p>", 0, "<br{Enter}", "<br>\r\n<p>", 6, "");
    keyRow("enter after <!", "<!DOCTYPE>", 10, "<br{Enter}", "<!DOCTYPE><br\r\n", 15, "List1");
    keyRow("enter in a script block", "<script>", 8, "<br{Enter}", "<script><br\r\n", 13, "");

    keyRow("> at the start", " abc", 0, ">", "> abc", 1, "");
    keyRow("enter at the start", " abc", 0, "{Enter}", "\r\n abc", 2, "");
}

void TestWindowStartup::listAtTheCaret_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<double>("fontSize");

    QTest::addRow("end of the text") << QStringLiteral("end") << 12.0;
    QTest::addRow("large editor font") << QStringLiteral("end") << 28.0;
    QTest::addRow("near the right edge") << QStringLiteral("right") << 12.0;
    QTest::addRow("near the bottom edge") << QStringLiteral("bottom") << 12.0;
    QTest::addRow("line scrolled sideways") << QStringLiteral("scrolled") << 12.0;
}

void TestWindowStartup::listAtTheCaret()
{
    QFETCH(QString, where);
    QFETCH(double, fontSize);
    const bool above = where == QLatin1String("bottom");
    const bool leftOfCaret = where == QLatin1String("right") || where == QLatin1String("scrolled");

    const auto window = windowWith(QString(), 0);
    Form1 &f = *window->form;
    // The editor, in the row's font size, stays in the lower half.
    f.Timer1.setEnabled(false);
    f.Text1.setFontSize(fontSize);
    f.Text1.Move(0, f.window.ScaleHeight() / 2, f.window.ScaleWidth(), f.window.ScaleHeight() / 2);
    const QFontMetrics metrics(f.Text1.editor()->font());
    const QSize viewport = f.Text1.editor()->viewport()->size();
    QString text = QStringLiteral("ab");
    if (where == QLatin1String("right"))
        text = QString((viewport.width() - Units::toPixelsX(f.List1.Width()) / 2) /
                           metrics.horizontalAdvance(u'x'),
                       u'x');
    else if (where == QLatin1String("scrolled"))
        text = QString(300, u'x');
    else if (where == QLatin1String("bottom"))
        text = QStringLiteral("x\r\n").repeated(viewport.height() / metrics.lineSpacing() - 2);
    f.Text1.setText(text);
    f.Text1.setSelStart(int(text.size()));
    typeKeys(f, QStringLiteral("<"));
    QCOMPARE(seenLists(f), QStringLiteral("List1"));

    // The caret's cell in window twips, and the line offset in the window's font.
    const QPoint pixels = f.Text1.PosFromChar(f.Text1.SelStart());
    const double x = f.Text1.Left() + Units::toTwipsX(pixels.x());
    const double y = f.Text1.Top() + Units::toTwipsY(pixels.y());
    const double lineOffset = f.window.TextHeight(QStringLiteral("Test")) * 3 / 2;
    // The row puts the caret where it says.
    QCOMPARE(x + f.List1.Width() > f.window.ScaleWidth(), leftOfCaret);
    QCOMPARE(y + lineOffset + f.List1.Height() > f.window.ScaleHeight(), above);

    QCOMPARE(qRound(f.List1.Left()), qRound(leftOfCaret ? x - f.List1.Width() : x));
    QCOMPARE(qRound(f.List1.Top()), qRound(above ? y - f.List1.Height() : y + lineOffset));
    QCOMPARE(f.assist.Attop, above);

    // Typing on changes the selection but not the place.
    const QPointF placed(f.List1.Left(), f.List1.Top());
    typeKeys(f, QStringLiteral("ta"));
    QCOMPARE(seenLists(f), QStringLiteral("List1 table"));
    QCOMPARE(QPointF(f.List1.Left(), f.List1.Top()), placed);
}

void TestWindowStartup::pageChecks_data()
{
    QTest::addColumn<QByteArray>("page"); // opened, the caret at the start
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("caret");      // -1: not looked at
    QTest::addColumn<QString>("paired"); // the starts of the tags marked as a pair
    QTest::addColumn<QString>("status"); // empty: not looked at
    const auto row = [](const char *name, const QByteArray &page, const char *keys, int caret,
                        const char *paired, const char *status = "") {
        QTest::addRow("%s", name) << page << QString::fromUtf8(keys) << caret
                                  << QString::fromUtf8(paired) << QString::fromUtf8(status);
    };
    const QByteArray nested = "<div><p>a</p></div>";
    row("start tag to its end tag", nested, "{Right}{Ctrl+E}", 13, "0 13");
    row("end tag back to its start", nested, "{End}{Left}{Left}{Left}{Left}{Ctrl+E}", 0, "0 13");
    row("unclosed stays", "<p><b>x</p>", "{Right}{Right}{Right}{Right}{Ctrl+E}", 4, "");
    row("far pair not marked, but found", "<div>" + QByteArray(40000, 'x') + "</div>",
        "{Right}{Ctrl+E}", 40005, "");
    const QByteArray lines = "<p>a</span>\r\n<b>\r\n<img src=x.png alt=x>\r\n";
    row("go to line", lines, "{Ctrl+G}", 13, "");
    row("next problem", lines, "{F8}", 4, "");
    row("next problems", lines, "{F8}{F8}{F8}", 27, "");
    row("previous problem, round", lines, "{Shift+F8}", 27, "");
    row("next problem after characters beyond the BMP",
        QByteArray(lines).insert(3, "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"), "{F8}", 8, "");
    const QByteArray page = "<p>a</p>\r\n<p>bc</p>\r\n";
    row("opened", page, "", -1, "", "Ln 1, Col 1   UTF-8 CRLF");
    row("moved", page, "{Down}{End}", -1, "", "Ln 2, Col 10   UTF-8 CRLF");
    row("typed", page, "xy", -1, "", "Ln 1, Col 3   Modified   UTF-8 CRLF");
    row("saved", page, "xy{Ctrl+S}", -1, "", "Ln 1, Col 3   UTF-8 CRLF");
    row("undone to the saved text", page, "x{Alt+Backspace}", -1, "",
        "Ln 1, Col 1   Modified   UTF-8 CRLF");
    row("tab one column", "\t\tx\r\n", "{End}", -1, "", "Ln 1, Col 4   UTF-8 CRLF");
    row("windows-1252 LF", "<p>caf\xe9</p>\n<p>\n", "{Down}", -1, "",
        "Ln 2, Col 1   Windows-1252 LF");
    row("utf-16 LE", QByteArray("\xff\xfe<\0p\0>\0\r\0\n\0", 12), "{Right}", -1, "",
        "Ln 1, Col 2   UTF-16LE CRLF");
    row("problems", "<img src=a.png>\r\n", "", -1, "", "Ln 1, Col 1   UTF-8 CRLF   2 problems");
    row("one problem, typed", page, "{End}<blurp>", -1, "",
        "Ln 1, Col 16   Modified   UTF-8 CRLF   1 problem");
}

void TestWindowStartup::pageChecks()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, keys);
    QFETCH(int, caret);
    QFETCH(QString, paired);
    QFETCH(QString, status);
    TestWindow window;
    window.loadPage(page);
    Form1 &form = *window.form;
    window.messageBox.numbers = {2};
    form.Text1.SetFocus();
    // The problems are found in the background; the keys that move to them wait for them.
    if (keys.contains(QLatin1String("F8")))
        QTRY_VERIFY(form.window.permanentStatus().endsWith(QLatin1String(" problems")));
    typeKeys(form, keys);
    if (!status.isEmpty())
        QTRY_COMPARE(form.window.permanentStatus(), status);
    if (caret < 0)
        return;
    QCOMPARE(form.Text1.SelStart(), caret);
    QCOMPARE(QApplication::focusWidget(), form.Text1.editor());
    QStringList marked;
    for (const QTextEdit::ExtraSelection &mark : form.Text1.editor()->extraSelections()) {
        if (mark.format.background().style() != Qt::NoBrush)
            marked << QString::number(form.Text1.modelPosition(mark.cursor.selectionStart()));
    }
    marked.sort();
    QCOMPARE(marked.join(u' '), paired);
}

// Only the text and the alt and title values are underlined; a suggestion chosen from the menu
// opened from the keyboard replaces the word as one undo step.
void TestWindowStartup::suggestionReplacesTheWord()
{
    const QString page =
        QStringLiteral("<p clas=\"wrnog\" title=\"a bda title\">\U0001F600 The quikc fox</p>");
    const auto window = windowWith(page, int(page.indexOf(QStringLiteral("quikc"))) + 2);
    Form1 &form = *window->form;
    const auto underlined = [&form] {
        QStringList words;
        for (const QTextEdit::ExtraSelection &mark : form.Text1.editor()->extraSelections()) {
            if (mark.format.underlineStyle() == QTextCharFormat::WaveUnderline)
                words << mark.cursor.selectedText();
        }
        return words.join(u' ');
    };
    QTRY_COMPARE(underlined(), QStringLiteral("bda quikc"));
    const QString offered =
        chooseFromMenu(form.Text1.editor(), true, [](const QString &) { return true; });
    QCOMPARE(offered, QStringLiteral("quick"));
    QVERIFY(form.Text1.Text().contains(QStringLiteral("The quick fox")));
    QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(form.Text1.Text(), page);
}

QTEST_MAIN(TestWindowStartup)
#include "tst_window.moc"
