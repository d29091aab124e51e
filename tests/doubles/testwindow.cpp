#include "testwindow.h"

#include "system/nativefile.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>

namespace {
// Tests never write to the user's own configuration.
QString testSettingsFile()
{
    QStandardPaths::setTestModeEnabled(true);
    return IniSettingsStore::defaultFileName();
}
} // namespace

TestWindow::TestWindow(Browser *realBrowser)
    : settings(testSettingsFile())
    , form(std::make_unique<Form1>(
          Services{messageBox, dialog, realBrowser ? *realBrowser : browser, keySender, settings}))
{}

TestWindow::~TestWindow() = default;

void TestWindow::load()
{
    if (dialog.files.isEmpty())
        dialog.files.append(pagePath());
    form->Form_Load();
    if (!form->hasEnded())
        QVERIFY(QTest::qWaitForWindowActive(form->window.window()));
}

void TestWindow::loadPage(const QByteArray &bytes)
{
    writeFile(pagePath(), bytes);
    load();
}

void TestWindow::trigger(const QString &caption)
{
    const QList<QAction *> actions = form->window.window()->findChildren<QAction *>();
    for (QAction *action : actions) {
        if (action->text() == caption)
            return action->trigger();
    }
    QFAIL("no such menu item");
}

void TestWindow::type(const QString &text)
{
    for (const uint c : text.toUcs4()) {
        QTest::sendKeyEvent(QTest::Click, form->Text1.editor(), Qt::Key_unknown,
                            QStringView(QChar::fromUcs4(c)).toString(), Qt::NoModifier);
    }
}

QByteArray TestWindow::bytesOf(const QString &path)
{
    QFile file;
    QString reason;
    return NativeFile::open(file, path, O_RDONLY, 0, &reason) ? file.readAll()
                                                              : QByteArray("<missing>");
}

void TestWindow::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file;
    QString reason;
    QVERIFY2(NativeFile::open(file, path, O_WRONLY | O_CREAT | O_TRUNC, 0666, &reason),
             qPrintable(reason));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestWindow::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}
