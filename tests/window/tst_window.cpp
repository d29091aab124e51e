#include "testwindow.h"

#include "platform/units.h"

#include <QFontInfo>

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

// The window as designed, its start-up, menus and shortcuts, and the two ways of quitting.
class TestWindowStartup : public QObject
{
    Q_OBJECT

private slots:
    void designedWindow();
    void startUp();
    void menuBar();
    void shortcutsReachTheirCommandsFromTheEditor_data();
    void shortcutsReachTheirCommandsFromTheEditor();
    void aboutBox();
    void quitting_data();
    void quitting();
    void newCountsUpToItsLargestValue();
};

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
    QCOMPARE(captions, (QStringList{QStringLiteral("Content:"), QStringLiteral("Replace:"),
                                    QStringLiteral("Find (next)"), QStringLiteral("Replace"),
                                    QStringLiteral("Close(F3)"), QStringLiteral("Rp all")}));
    // With fonts-wine installed, the designed faces; the editor's bitmap face at its own
    // 15-pixel size, unscaled.
    const QFontInfo editor(f.Text1.editor()->font());
    QCOMPARE(QStringList({QFontInfo(f.window.window()->font()).family(),
                          QFontInfo(f.Check1.widget()->font()).family(), editor.family()}),
             QStringList(
                 {QStringLiteral("Tahoma"), QStringLiteral("Tahoma"), QStringLiteral("Fixedsys")}));
    QCOMPARE(editor.pixelSize(), 15);
    QCOMPARE(f.Text1.FontSize(), 12.0);
    QVERIFY(!f.Text1.FontBold());
    const QFontMetrics editorFont(f.Text1.editor()->font());
    QCOMPARE(editorFont.horizontalAdvance(u'i'), editorFont.horizontalAdvance(u'W'));
    QCOMPARE(f.window.window()->font().pointSizeF(), 9.0);
    QCOMPARE(f.Check1.widget()->font().pointSizeF(), 7.5);
    QCOMPARE(f.List1.list()->palette().color(QPalette::Base), QColor(255, 255, 192));
    QCOMPARE(f.List2.list()->palette().color(QPalette::Base), QColor(192, 255, 192));
}

void TestWindowStartup::startUp()
{
    TestWindow test;
    Form1 &f = *test.form;
    test.load();
    QVERIFY(!f.hasEnded());
    QVERIFY(f.window.window()->isVisible());
    QCOMPARE(f.window.ScaleWidth(), 9690.0);
    QCOMPARE(f.window.ScaleHeight(), 7455.0);
    QVERIFY(!f.Frame1.Enabled());
    QCOMPARE(f.Frame1.Top(), -975.0);
    for (const Button *button : {&f.Command1, &f.Command2, &f.Command3, &f.Command4})
        QVERIFY(!button->Visible());
    QVERIFY(!f.List1.Visible() && !f.List2.Visible());
    QCOMPARE(test.browser.calls.mid(0, 2),
             (QStringList{QStringLiteral("Navigate about:blank"), QStringLiteral("GoHome")}));

    QCOMPARE(f.List1.ListCount(), 104);
    QCOMPARE(f.List2.ListCount(), 46);
    const QStringList words{f.List1.List(0),  f.List1.List(5),  f.List1.List(22),
                            f.List1.List(86), f.List1.List(97), f.List1.List(103),
                            f.List2.List(0),  f.List2.List(28), f.List2.List(45)};
    QCOMPARE(words.join(u' '),
             QStringLiteral("a br> cols table tahoma _blank align onMouseMove width"));
}

void TestWindowStartup::menuBar()
{
    TestWindow test;
    QStringList entries;
    for (QAction *menu : test.form->window.window()->menuBar()->actions()) {
        entries.append(menu->text() + u':');
        for (QAction *item : menu->menu()->actions())
            entries.append(item->isSeparator() ? QStringLiteral("-")
                                               : item->text() + u'|' + item->shortcut().toString());
    }
    QCOMPARE(entries.join(u' '),
             QStringLiteral("&File: New|Ctrl+N Open...|Ctrl+O Save|Ctrl+S Save as...| - Exit| "
                            "&Edit: Find or Replace|F3 Font...| "
                            "&Insert: <table...|Ctrl+T <p...|Ctrl+P <font...|Ctrl+F <a href...|F5 "
                            "<br>|Ctrl+B <img...|Ctrl+I <script...| <html...|Ctrl+H "
                            "<>...Other|F6 nbsp|Ctrl+Z - Insert Help|Ctrl+F1 "
                            "&About: About VLM|"));
}

void TestWindowStartup::shortcutsReachTheirCommandsFromTheEditor_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addRow("nbsp, not undo") << QStringLiteral("nbsp") << QKeySequence(Qt::CTRL | Qt::Key_Z);
    QTest::addRow("html") << QStringLiteral("<html...") << QKeySequence(Qt::CTRL | Qt::Key_H);
    QTest::addRow("font") << QStringLiteral("<font...") << QKeySequence(Qt::CTRL | Qt::Key_F);
    QTest::addRow("find") << QStringLiteral("Find or Replace") << QKeySequence(Qt::Key_F3);
}

void TestWindowStartup::shortcutsReachTheirCommandsFromTheEditor()
{
    QFETCH(QString, caption);
    QFETCH(QKeySequence, keys);

    TestWindow test;
    Form1 &f = *test.form;
    test.load();
    f.Text1.setText(QString());
    f.Text1.SetFocus();
    QTest::keyClicks(f.Text1.editor(), QStringLiteral("ab"));
    QAction *item = nullptr;
    for (QAction *menu : f.window.window()->menuBar()->actions()) {
        for (QAction *entry : menu->menu()->actions())
            item = entry->text() == caption ? entry : item;
    }
    QVERIFY(item);
    QSignalSpy triggered(item, &QAction::triggered);
    QTest::keySequence(f.Text1.editor(), keys);
    QCOMPARE(triggered.count(), 1);
    QVERIFY(f.Text1.Text().contains(QStringLiteral("ab"))); // the editor's own undo did not run
}

void TestWindowStartup::aboutBox()
{
    TestWindow test;
    test.form->aboutvlm_Click();
    QCOMPARE(test.messageBox.shown.size(), 1);
    const FakeMessageBox::Shown box = test.messageBox.shown.first();
    QCOMPARE(box.buttons, 64);
    QCOMPARE(box.title, QStringLiteral("About VLM"));
    const QString spaces(30, u' ');
    QVERIFY(box.prompt.startsWith(spaces + QStringLiteral("Velmora") + spaces +
                                  QStringLiteral("\r\n") + QString(40, u' ') +
                                  QStringLiteral("version 1.53\r\n\r\n")));
}

void TestWindowStartup::quitting_data()
{
    QTest::addColumn<bool>("byClose"); // the window's close button, else the Exit command
    QTest::addColumn<int>("changed");
    QTest::addColumn<int>("answer"); // 0: no prompt expected
    QTest::addColumn<bool>("ended");
    QTest::addColumn<bool>("previewKept");

    const int yes = MessageBox::Yes, no = MessageBox::No, cancel = MessageBox::Cancel;
    QTest::addRow("exit unchanged") << false << 0 << 0 << true << false;
    QTest::addRow("exit changed, yes") << false << 1 << yes << true << false;
    QTest::addRow("exit changed, cancel") << false << 1 << cancel << false << true;
    QTest::addRow("exit, flag other than 1") << false << -1 << 0 << true << false;
    QTest::addRow("close changed, no") << true << 1 << no << true << false;
    QTest::addRow("close changed, cancel") << true << 1 << cancel << false << true;
}

void TestWindowStartup::quitting()
{
    QFETCH(bool, byClose);
    QFETCH(int, changed);
    QFETCH(int, answer);
    QFETCH(bool, ended);
    QFETCH(bool, previewKept);

    TestWindow test;
    Form1 &f = *test.form;
    test.load();
    test.messageBox.shown.clear();
    QFile preview(f.page.tempfile);
    QVERIFY(preview.open(QIODevice::WriteOnly));
    preview.close();
    f.page.ischanged = qint16(changed);
    if (answer)
        test.messageBox.answers.append(answer);
    QSignalSpy endedSpy(&f, &Form1::programEnded);

    if (byClose)
        f.window.window()->close();
    else
        f.exit_Click();

    QCOMPARE(test.messageBox.shown.size(), answer ? 1 : 0);
    if (answer) {
        const FakeMessageBox::Shown box = test.messageBox.shown.first();
        QCOMPARE(box.prompt, QStringLiteral("The file have been changed,save it?"));
        QCOMPARE(box.buttons, 35);
        QCOMPARE(box.title, QStringLiteral("Warning"));
    }
    QCOMPARE(f.hasEnded(), ended);
    QCOMPARE(endedSpy.count(), ended ? 1 : 0);
    QCOMPARE(f.window.window()->isVisible(), !ended);
    QCOMPARE(QFile::exists(f.page.tempfile), previewKept);
    QCOMPARE(QFile::exists(f.page.editingfile), answer == int(MessageBox::Yes));
}

void TestWindowStartup::newCountsUpToItsLargestValue()
{
    TestWindow test;
    test.load();
    test.form->page.filenum = 32766;
    test.dialog.files = {std::nullopt, std::nullopt};
    test.form->new_Click();
    QCOMPARE(test.form->page.filenum, qint16(32767));
    test.form->new_Click();
    QCOMPARE(test.form->page.filenum, qint16(32767));
}

QTEST_MAIN(TestWindowStartup)
#include "tst_window.moc"
