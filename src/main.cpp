#include "app/commandline.h"
#include "app/form1.h"
#include "core/nativename.h"
#include "platform/qtcommondialog.h"
#include "platform/qtkeysender.h"
#include "platform/qtmessagebox.h"
#include "preview/engine/webenginebrowser.h"
#include "system/files.h"
#include "system/settingsstore.h"
#include "system/terminationsignals.h"

#include <QApplication>

#include <unistd.h>

namespace {
// The arguments as given: the name of a page is bytes, which need not be UTF-8.
QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(NativeName::decode(QByteArray(argv[i])));
    return arguments;
}
} // namespace

int main(int argc, char *argv[])
{
    // The browser engine refuses to start its sandbox as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    letWritesFailOverSizeLimit();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // wanted by the browser engine
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    {
        // Help, version and mistakes need no display: they are answered before the window
        // system starts.
        QCoreApplication console(argc, argv);
        const CommandLine early(CommandLine::withoutWindowSystemOptions(argumentsOf(argc, argv)));
        if (early.request() != CommandLine::Request::Start)
            return early.report();
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.velmora.Velmora"));
    // The window system has taken its own options (-platform, -style and the like) away.
    const CommandLine commandLine(argumentsOf(argc, argv));
    if (commandLine.request() != CommandLine::Request::Start)
        return commandLine.report();
    const TerminationSignals terminationSignals;

    QtMessageBox messageBox;
    QtCommonDialog commonDialog;
    WebEngineBrowser browser;
    QtKeySender keySender;
    IniSettingsStore settings;
    Form1 form({messageBox, commonDialog, browser, keySender, settings});
    QObject::connect(&form, &Form1::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    form.Form_Load(commandLine.page());
    if (form.hasEnded())
        return 0;
    return QApplication::exec();
}
