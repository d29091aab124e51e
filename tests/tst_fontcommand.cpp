#include "testwindow.h"

#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

// The Font command: the dialog's choice on the editor and in the settings file, Cancel, and
// the settings store's value types.
class TestFontCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void choiceGoesToEditorAndStore_data();
    void choiceGoesToEditorAndStore();
    void cancelChangesNothing();
    void newWindowShowsTheDesignedFont();
    void valueTypes_data();
    void valueTypes();

private:
    static QVariant stored(const QString &fileName, const QString &name);
};

void TestFontCommand::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestFontCommand::init()
{
    QFile::remove(IniSettingsStore::defaultFileName());
}

void TestFontCommand::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

QVariant TestFontCommand::stored(const QString &fileName, const QString &name)
{
    return QSettings(fileName, QSettings::IniFormat)
        .value(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/VLM/") + name);
}

void TestFontCommand::choiceGoesToEditorAndStore_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("sizeText");

    QTest::addRow("10.5 bold") << QLocale::c() << QStringLiteral("Courier New") << 10.5 << true
                               << QStringLiteral("10.5");
    QTest::addRow("10.5, decimal comma")
        << QLocale(QLocale::German) << QStringLiteral("Courier New") << 10.5 << true
        << QStringLiteral("10,5");
    QTest::addRow("12 regular") << QLocale::c() << QStringLiteral("Monospace") << 12.0 << false
                                << QStringLiteral("12");
    QTest::addRow("wide characters")
        << QLocale::c() << QStringLiteral("新宋体") << 9.0 << false << QStringLiteral("9");
}

void TestFontCommand::choiceGoesToEditorAndStore()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, name);
    QFETCH(double, size);
    QFETCH(bool, bold);
    QFETCH(QString, sizeText);

    QLocale::setDefault(locale);
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    test.dialog.fonts.append(FakeCommonDialog::Font{name, size, bold});
    form.font_Click();

    QCOMPARE(test.dialog.fontDialogs, 1);
    QCOMPARE(test.dialog.Flags(), 103);
    QCOMPARE(form.Text1.FontName(), name);
    QCOMPARE(form.Text1.FontSize(), size);
    QCOMPARE(form.Text1.FontBold(), bold);
    const QString file = test.settings.fileName();
    QCOMPARE(stored(file, QStringLiteral("FontName")).toString(), name);
    QCOMPARE(stored(file, QStringLiteral("FontSize")).toString(), sizeText);
    QCOMPARE(stored(file, QStringLiteral("FontBold")).toString(),
             bold ? QStringLiteral("True") : QStringLiteral("False"));
}

// The dialog still holds the earlier choice: a command going on after Cancel would apply and
// store it again.
void TestFontCommand::cancelChangesNothing()
{
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    test.dialog.fonts = {FakeCommonDialog::Font{QStringLiteral("Courier New"), 14, true},
                         std::nullopt};
    form.font_Click();
    QVERIFY(QFile::remove(test.settings.fileName()));
    form.Text1.setFontSize(16);

    form.font_Click();
    QCOMPARE(test.dialog.fontDialogs, 2);
    QCOMPARE(form.Text1.FontSize(), 16.0);
    QVERIFY(!QFile::exists(test.settings.fileName()));
}

void TestFontCommand::newWindowShowsTheDesignedFont()
{
    {
        TestWindow test;
        test.load();
        test.dialog.fonts.append(FakeCommonDialog::Font{QStringLiteral("Courier New"), 20, true});
        test.form->font_Click();
    }
    TestWindow test;
    test.load();
    const QFont designed = Fonts::designed(QStringLiteral("Fixedsys"), 12, true);
    QCOMPARE(test.form->Text1.FontName(), designed.family());
    QCOMPARE(test.form->Text1.FontSize(), 12.0);
    QVERIFY(!test.form->Text1.FontBold());
}

void TestFontCommand::valueTypes_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("stored"); // invalid: nothing written

    QTest::addRow("single as text")
        << QVariant(float(10.3)) << 1 << QVariant(QStringLiteral("10.3"));
    QTest::addRow("seven digits") << QVariant(2.0 / 3) << 1
                                  << QVariant(QStringLiteral("0.6666667"));
    QTest::addRow("number as dword") << QVariant(41.6) << 4 << QVariant(42);
    QTest::addRow("other type") << QVariant(QStringLiteral("x")) << 3 << QVariant();
}

void TestFontCommand::valueTypes()
{
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(QVariant, stored);

    QTemporaryDir folder;
    IniSettingsStore store(folder.filePath(QStringLiteral("store.ini")));
    store.MakeKey(mdlRegistry::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\VLM"));
    store.StoreValue(mdlRegistry::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\VLM"),
                     QStringLiteral("Value"), value, type);
    const QVariant read = this->stored(store.fileName(), QStringLiteral("Value"));
    QCOMPARE(read.isValid(), stored.isValid());
    if (stored.isValid())
        QCOMPARE(read.toString(), stored.toString());
}

QTEST_MAIN(TestFontCommand)
#include "tst_fontcommand.moc"
