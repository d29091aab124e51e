#include "app/form1.h"
#include "documents/files.h"
#include "platform/qtcommondialog.h"
#include "platform/qtkeysender.h"
#include "platform/qtmessagebox.h"
#include "platform/settingsstore.h"
#include "platform/terminationsignals.h"
#include "platform/webenginebrowser.h"

#include <QApplication>

#include <unistd.h>

int main(int argc, char *argv[])
{
    // The browser engine refuses to start its sandbox as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    letWritesFailOverSizeLimit();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // wanted by the browser engine
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    const TerminationSignals terminationSignals;

    QtMessageBox messageBox;
    QtCommonDialog commonDialog;
    WebEngineBrowser browser;
    QtKeySender keySender;
    IniSettingsStore settings;
    Form1 form({messageBox, commonDialog, browser, keySender, settings});
    QObject::connect(&form, &Form1::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    form.Form_Load();
    if (form.hasEnded())
        return 0;
    return app.exec();
}
