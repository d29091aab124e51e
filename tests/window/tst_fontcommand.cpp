#include "testwindow.h"

#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

// The Font command: the dialog's choice on the editor and in the settings file, Cancel, and the
// designed font in every new window.
struct FontCase
{
    const char *locale, *name;
    double size;
    bool bold;
    const char *sizeText;
};
Q_DECLARE_METATYPE(FontCase)

class TestFontCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QFile::remove(IniSettingsStore::defaultFileName()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void choice_data();
    void choice();
};

static QString stored(const TestWindow &test, const char *name)
{
    return QSettings(test.settings.fileName(), QSettings::IniFormat)
        .value(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/VLM/") + QLatin1String(name))
        .toString();
}

void TestFontCommand::choice_data()
{
    QTest::addColumn<FontCase>("c");
    const auto row = [](const char *name, FontCase c) { QTest::newRow(name) << c; };
    row("10.5 bold", {"C", "Courier New", 10.5, true, "10.5"});
    row("decimal comma", {"de", "Courier New", 10.5, true, "10,5"});
    row("12 regular", {"C", "Monospace", 12, false, "12"});
    // The size is kept in single precision and written with seven significant digits.
    row("wide characters, 10.3", {"C", "新宋体", 10.3, false, "10.3"});
}

void TestFontCommand::choice()
{
    QFETCH(FontCase, c);
    const QString name = QString::fromUtf8(c.name);
    QLocale::setDefault(QLocale(QLatin1String(c.locale)));
    {
        TestWindow test;
        test.load();
        test.dialog.fonts = {FakeCommonDialog::Font{name, c.size, c.bold}, std::nullopt};
        test.form->font_Click();
        QCOMPARE(test.dialog.Flags(), 103);
        QCOMPARE(test.form->Text1.FontName(), name);
        QCOMPARE(float(test.form->Text1.FontSize()), float(c.size));
        QCOMPARE(test.form->Text1.FontBold(), c.bold);
        QCOMPARE(stored(test, "FontName"), name);
        QCOMPARE(stored(test, "FontSize"), QLatin1String(c.sizeText));
        QCOMPARE(stored(test, "FontBold"), QLatin1String(c.bold ? "True" : "False"));

        // Cancel: the dialog still holds the choice, which must be neither applied nor stored.
        QVERIFY(QFile::remove(test.settings.fileName()));
        test.form->Text1.setFontSize(16);
        test.form->font_Click();
        QCOMPARE(test.dialog.fontDialogs, 2);
        QCOMPARE(test.form->Text1.FontSize(), 16.0);
        QVERIFY(!QFile::exists(test.settings.fileName()));
    }
    // Nothing reads the store: a new window shows the designed font.
    TestWindow test;
    test.load();
    const QFont designed = Fonts::designed(QStringLiteral("Fixedsys"), 12, true);
    QCOMPARE(test.form->Text1.FontName(), designed.family());
    QCOMPARE(test.form->Text1.FontSize(), 12.0);
    QVERIFY(!test.form->Text1.FontBold());
}

QTEST_MAIN(TestFontCommand)
#include "tst_fontcommand.moc"
