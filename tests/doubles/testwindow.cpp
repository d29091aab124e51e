#include "testwindow.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QStandardPaths>
#include <QTest>

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

void TestWindow::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}
