#pragma once

#include "fakebrowser.h"
#include "fakecommondialog.h"
#include "fakemessagebox.h"

#include "app/form1.h"
#include "platform/qtkeysender.h"
#include "system/settingsstore.h"

#include <QTemporaryDir>

#include <memory>

// The line before the text in the preview of an edited page.
inline const QByteArray PreviewHeader = QByteArrayLiteral(
    "<script>function killerr_for_vlm(){return true;}window.onerror=killerr_for_vlm;</script>\r\n");

// A Form1 built on scripted doubles, with the real key synthesis, and the fake browser unless
// the test gives a real one.
struct TestWindow
{
    explicit TestWindow(Browser *realBrowser = nullptr);
    ~TestWindow();

    // Runs start-up and waits until the window is active, so that focus and keys work. Unless
    // the test scripted the open dialog itself, start-up names a new page in a folder of its
    // own, `folder`.
    void load();
    QString pagePath() const { return folder.filePath(QStringLiteral("page.html")); }
    // Writes these bytes to pagePath() and starts up with that page.
    void loadPage(const QByteArray &bytes);
    // One key event a character, as an input method sends them.
    void type(const QString &text);
    // Runs the menu item of this caption.
    void trigger(const QString &caption);
    QByteArray preview() const { return bytesOf(form->page.tempfile); }
    static QByteArray bytesOf(const QString &path);
    static void writeFile(const QString &path, const QByteArray &bytes);
    // Lets queued keystrokes and other posted events run.
    static void settle();

    QTemporaryDir folder;
    FakeMessageBox messageBox;
    FakeCommonDialog dialog;
    FakeBrowser browser;
    QtKeySender keySender;
    IniSettingsStore settings; // in the test configuration folder
    std::unique_ptr<Form1> form;
};
