#include "testwindow.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QTest>

TestWindow::TestWindow(Browser *realBrowser)
    : form(std::make_unique<Form1>(
          Services{messageBox, dialog, realBrowser ? *realBrowser : browser, keySender}))
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
