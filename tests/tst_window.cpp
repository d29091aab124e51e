#include "testwindow.h"

#include "platform/units.h"

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
    void designedGeometry_data();
    void designedGeometry();
    void captionsAndFonts();
    void startUpPreparesTheWindow();
    void wordListsInOrder();
    void menuBar();
    void shortcutsReachTheirCommandsFromTheEditor_data();
    void shortcutsReachTheirCommandsFromTheEditor();
    void aboutBox();
    void quitting_data();
    void quitting();
    void newCountsUpToItsLargestValue();

private:
    static QAction *action(Form1 &form, const QString &caption);
};

void TestWindowStartup::designedGeometry_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRectF>("twips");

    QTest::addRow("WebBrowser1") << QStringLiteral("WebBrowser1") << QRectF(0, 0, 9975, 2895);
    QTest::addRow("Text1") << QStringLiteral("Text1") << QRectF(0, 3720, 8535, 3735);
    QTest::addRow("List1") << QStringLiteral("List1") << QRectF(840, 4920, 2055, 1080);
    QTest::addRow("List2") << QStringLiteral("List2") << QRectF(3240, 4920, 2175, 1080);
    QTest::addRow("Frame1") << QStringLiteral("Frame1") << QRectF(1320, 2880, 7215, 975);
    QTest::addRow("Label1") << QStringLiteral("Label1") << QRectF(120, 240, 975, 255);
    QTest::addRow("Text2") << QStringLiteral("Text2") << QRectF(840, 240, 2655, 315);
    QTest::addRow("Label2") << QStringLiteral("Label2") << QRectF(3720, 240, 1095, 255);
    QTest::addRow("Text3") << QStringLiteral("Text3") << QRectF(4440, 240, 2655, 315);
    QTest::addRow("Check1") << QStringLiteral("Check1") << QRectF(840, 600, 1575, 255);
    QTest::addRow("Command1") << QStringLiteral("Command1") << QRectF(3600, 2880, 1095, 360);
    QTest::addRow("Command2") << QStringLiteral("Command2") << QRectF(7200, 2880, 1095, 360);
    QTest::addRow("Command3") << QStringLiteral("Command3") << QRectF(4800, 3480, 975, 360);
    QTest::addRow("Command4") << QStringLiteral("Command4") << QRectF(7200, 3480, 975, 360);
}

void TestWindowStartup::designedGeometry()
{
    QFETCH(QString, control);
    QFETCH(QRectF, twips);

    TestWindow test;
    Form1 &form = *test.form;
    const QHash<QString, Control *> controls{
        {QStringLiteral("WebBrowser1"), &form.WebBrowser1},
        {QStringLiteral("Text1"), &form.Text1},
        {QStringLiteral("List1"), &form.List1},
        {QStringLiteral("List2"), &form.List2},
        {QStringLiteral("Frame1"), &form.Frame1},
        {QStringLiteral("Label1"), &form.Label1},
        {QStringLiteral("Text2"), &form.Text2},
        {QStringLiteral("Label2"), &form.Label2},
        {QStringLiteral("Text3"), &form.Text3},
        {QStringLiteral("Check1"), &form.Check1},
        {QStringLiteral("Command1"), &form.Command1},
        {QStringLiteral("Command2"), &form.Command2},
        {QStringLiteral("Command3"), &form.Command3},
        {QStringLiteral("Command4"), &form.Command4},
    };
    const Control *c = controls.value(control);
    QCOMPARE(QRectF(c->Left(), c->Top(), c->Width(), c->Height()), twips);
    const QRect pixels(Units::toPixelsX(twips.left()), Units::toPixelsY(twips.top()),
                       Units::toPixelsX(twips.width()), Units::toPixelsY(twips.height()));
    QCOMPARE(c->widget()->geometry(), pixels);
    QCOMPARE(form.window.ScaleWidth(), 9690.0);
    QCOMPARE(form.window.ScaleHeight(), 7455.0);
}

void TestWindowStartup::captionsAndFonts()
{
    TestWindow test;
    Form1 &form = *test.form;
    QCOMPARE(form.window.Caption(), QStringLiteral("Velmora"));
    QCOMPARE(form.Label1.Caption(), QStringLiteral("Content:"));
    QCOMPARE(form.Label2.Caption(), QStringLiteral("Replace:"));
    QCOMPARE(form.Command1.Caption(), QStringLiteral("Find (next)"));
    QCOMPARE(form.Command2.Caption(), QStringLiteral("Replace"));
    QCOMPARE(form.Command3.Caption(), QStringLiteral("Close(F3)"));
    QCOMPARE(form.Command4.Caption(), QStringLiteral("Rp all"));
    QVERIFY(!form.window.window()->windowIcon().isNull());

    QCOMPARE(form.Text1.FontSize(), 12.0);
    QVERIFY(!form.Text1.FontBold());
    const QFontMetrics editorFont(form.Text1.editor()->font());
    QCOMPARE(editorFont.horizontalAdvance(u'i'), editorFont.horizontalAdvance(u'W'));
    QCOMPARE(form.window.window()->font().pointSizeF(), 9.0);
    QCOMPARE(form.Check1.widget()->font().pointSizeF(), 7.5);
    QCOMPARE(form.List1.list()->palette().color(QPalette::Base), QColor(255, 255, 192));
    QCOMPARE(form.List2.list()->palette().color(QPalette::Base), QColor(192, 255, 192));
}

void TestWindowStartup::startUpPreparesTheWindow()
{
    TestWindow test;
    Form1 &form = *test.form;
    test.load();
    QVERIFY(!form.hasEnded());
    QVERIFY(form.window.window()->isVisible());
    QCOMPARE(form.window.ScaleWidth(), 9690.0);
    QCOMPARE(form.window.ScaleHeight(), 7455.0);
    QVERIFY(!form.Frame1.Enabled());
    QCOMPARE(form.Frame1.Top(), -975.0);
    for (const Button *button : {&form.Command1, &form.Command2, &form.Command3, &form.Command4})
        QVERIFY(!button->Visible());
    QVERIFY(!form.List1.Visible());
    QVERIFY(!form.List2.Visible());
    QCOMPARE(test.browser.calls.mid(0, 2),
             (QStringList{QStringLiteral("Navigate about:blank"), QStringLiteral("GoHome")}));
    QCOMPARE(form.assist.Completed, false);
}

void TestWindowStartup::wordListsInOrder()
{
    TestWindow test;
    test.load();
    const ListControl &words = test.form->List1;
    const ListControl &attributes = test.form->List2;
    QCOMPARE(words.ListCount(), 104);
    QCOMPARE(attributes.ListCount(), 46);
    const QList<QPair<int, QString>> wordChecks{
        {0, QStringLiteral("a")},       {5, QStringLiteral("br>")},
        {22, QStringLiteral("cols")},   {86, QStringLiteral("table")},
        {97, QStringLiteral("tahoma")}, {103, QStringLiteral("_blank")}};
    for (const auto &[index, word] : wordChecks)
        QCOMPARE(words.List(index), word);
    const QList<QPair<int, QString>> attributeChecks{{0, QStringLiteral("align")},
                                                     {3, QStringLiteral("bgcolor")},
                                                     {28, QStringLiteral("onMouseMove")},
                                                     {45, QStringLiteral("width")}};
    for (const auto &[index, word] : attributeChecks)
        QCOMPARE(attributes.List(index), word);
    for (int i = 0; i < words.ListCount(); ++i)
        QVERIFY(!words.List(i).isEmpty());
}

void TestWindowStartup::menuBar()
{
    TestWindow test;
    QMenuBar *bar = test.form->window.window()->menuBar();
    QStringList menus;
    QStringList items;
    for (QAction *menu : bar->actions()) {
        menus.append(menu->text());
        for (QAction *item : menu->menu()->actions()) {
            items.append(item->isSeparator() ? QStringLiteral("-")
                                             : item->text() + u'|' + item->shortcut().toString());
        }
    }
    QCOMPARE(menus, (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"),
                                 QStringLiteral("&Insert"), QStringLiteral("&About")}));
    QCOMPARE(items, (QStringList{
                        QStringLiteral("New|Ctrl+N"),
                        QStringLiteral("Open...|Ctrl+O"),
                        QStringLiteral("Save|Ctrl+S"),
                        QStringLiteral("Save as...|"),
                        QStringLiteral("-"),
                        QStringLiteral("Exit|"),
                        QStringLiteral("Find or Replace|F3"),
                        QStringLiteral("Font...|"),
                        QStringLiteral("<table...|Ctrl+T"),
                        QStringLiteral("<p...|Ctrl+P"),
                        QStringLiteral("<font...|Ctrl+F"),
                        QStringLiteral("<a href...|F5"),
                        QStringLiteral("<br>|Ctrl+B"),
                        QStringLiteral("<img...|Ctrl+I"),
                        QStringLiteral("<script...|"),
                        QStringLiteral("<html...|Ctrl+H"),
                        QStringLiteral("<>...Other|F6"),
                        QStringLiteral("nbsp|Ctrl+Z"),
                        QStringLiteral("-"),
                        QStringLiteral("Insert Help|Ctrl+F1"),
                        QStringLiteral("About VLM|"),
                    }));
}

QAction *TestWindowStartup::action(Form1 &form, const QString &caption)
{
    for (QAction *menu : form.window.window()->menuBar()->actions()) {
        for (QAction *item : menu->menu()->actions()) {
            if (item->text() == caption)
                return item;
        }
    }
    return nullptr;
}

void TestWindowStartup::shortcutsReachTheirCommandsFromTheEditor_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("keys");

    QTest::addRow("nbsp, not undo") << QStringLiteral("nbsp") << QKeySequence(Qt::CTRL | Qt::Key_Z);
    QTest::addRow("br") << QStringLiteral("<br>") << QKeySequence(Qt::CTRL | Qt::Key_B);
    QTest::addRow("img") << QStringLiteral("<img...") << QKeySequence(Qt::CTRL | Qt::Key_I);
    QTest::addRow("html") << QStringLiteral("<html...") << QKeySequence(Qt::CTRL | Qt::Key_H);
    QTest::addRow("p") << QStringLiteral("<p...") << QKeySequence(Qt::CTRL | Qt::Key_P);
    QTest::addRow("table") << QStringLiteral("<table...") << QKeySequence(Qt::CTRL | Qt::Key_T);
    QTest::addRow("font") << QStringLiteral("<font...") << QKeySequence(Qt::CTRL | Qt::Key_F);
    QTest::addRow("find") << QStringLiteral("Find or Replace") << QKeySequence(Qt::Key_F3);
}

void TestWindowStartup::shortcutsReachTheirCommandsFromTheEditor()
{
    QFETCH(QString, caption);
    QFETCH(QKeySequence, keys);

    TestWindow test;
    Form1 &form = *test.form;
    test.load();
    form.Text1.setText(QString());
    form.Text1.SetFocus();
    QTest::keyClicks(form.Text1.editor(), QStringLiteral("ab"));
    QAction *item = action(form, caption);
    QVERIFY(item);
    QSignalSpy triggered(item, &QAction::triggered);
    QTest::keySequence(form.Text1.editor(), keys);
    QCOMPARE(triggered.count(), 1);
    QVERIFY(form.Text1.Text().contains(QStringLiteral("ab"))); // the editor's own undo did not run
}

void TestWindowStartup::aboutBox()
{
    TestWindow test;
    test.form->aboutvlm_Click();
    QCOMPARE(test.messageBox.shown.size(), 1);
    const FakeMessageBox::Shown box = test.messageBox.shown.first();
    QCOMPARE(box.buttons, 64);
    QCOMPARE(box.title, QStringLiteral("About VLM"));
    const QString spaces30(30, u' ');
    QVERIFY(box.prompt.startsWith(spaces30 + QStringLiteral("Velmora") + spaces30 +
                                  QStringLiteral("\r\n") + QString(40, u' ') +
                                  QStringLiteral("version 1.53\r\n\r\n")));
}

void TestWindowStartup::quitting_data()
{
    QTest::addColumn<bool>("byClose"); // the window's close button, else the Exit command
    QTest::addColumn<int>("changed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("prompted");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<bool>("previewKept");

    QTest::addRow("exit unchanged") << false << 0 << 0 << false << true << false;
    QTest::addRow("exit changed, yes")
        << false << 1 << int(MessageBox::Yes) << true << true << false;
    QTest::addRow("exit changed, no") << false << 1 << int(MessageBox::No) << true << true << false;
    QTest::addRow("exit changed, cancel")
        << false << 1 << int(MessageBox::Cancel) << true << false << true;
    QTest::addRow("exit with a flag other than 1") << false << -1 << 0 << false << true << false;
    QTest::addRow("close unchanged") << true << 0 << 0 << false << true << false;
    QTest::addRow("close changed, yes")
        << true << 1 << int(MessageBox::Yes) << true << true << false;
    QTest::addRow("close changed, no") << true << 1 << int(MessageBox::No) << true << true << false;
    QTest::addRow("close changed, cancel")
        << true << 1 << int(MessageBox::Cancel) << true << false << false;
}

void TestWindowStartup::quitting()
{
    QFETCH(bool, byClose);
    QFETCH(int, changed);
    QFETCH(int, answer);
    QFETCH(bool, prompted);
    QFETCH(bool, ended);
    QFETCH(bool, previewKept);

    TestWindow test;
    Form1 &form = *test.form;
    test.load();
    test.messageBox.shown.clear();
    form.page.editingfile = test.pagePath();
    form.page.tempfile = test.pagePath() + QStringLiteral("_VLM_temp.html");
    QFile preview(form.page.tempfile);
    QVERIFY(preview.open(QIODevice::WriteOnly));
    preview.close();
    form.page.ischanged = qint16(changed);
    if (prompted)
        test.messageBox.answers.append(answer);
    QSignalSpy endedSpy(&form, &Form1::programEnded);

    if (byClose)
        form.window.window()->close();
    else
        form.exit_Click();

    QCOMPARE(test.messageBox.shown.size(), prompted ? 1 : 0);
    if (prompted) {
        QCOMPARE(test.messageBox.shown.first().prompt,
                 QStringLiteral("The file have been changed,save it?"));
        QCOMPARE(test.messageBox.shown.first().buttons, 35);
        QCOMPARE(test.messageBox.shown.first().title, QStringLiteral("Warning"));
    }
    QCOMPARE(form.hasEnded(), ended);
    QCOMPARE(endedSpy.count(), ended ? 1 : 0);
    QCOMPARE(form.window.window()->isVisible(), !ended);
    QCOMPARE(QFile::exists(form.page.tempfile), previewKept);
}

void TestWindowStartup::newCountsUpToItsLargestValue()
{
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    form.page.filenum = 32766;
    test.dialog.files = {std::nullopt, std::nullopt};
    form.new_Click();
    QCOMPARE(form.page.filenum, qint16(32767));
    form.new_Click();
    QCOMPARE(form.page.filenum, qint16(32767));
}

QTEST_MAIN(TestWindowStartup)
#include "tst_window.moc"
