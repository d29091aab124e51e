#pragma once

#include "fakebrowser.h"
#include "fakecommondialog.h"
#include "fakemessagebox.h"

#include "app/form1.h"
#include "platform/qtkeysender.h"
#include "system/settingsstore.h"

#include <QTemporaryDir>

// A Form1 on the test doubles (or on another browser) with the real key synthesis, its settings
// in a folder of its own.
template <typename Browser = FakeBrowser>
struct BenchWindow
{
    QTemporaryDir folder;
    FakeMessageBox messageBox;
    FakeCommonDialog dialog;
    Browser browser;
    QtKeySender keySender;
    IniSettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
    Form1 form{Services{messageBox, dialog, browser, keySender, settings}};
};
