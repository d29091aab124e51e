#include "app/commandline.h"

#include "system/nativefile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

CommandLine::CommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edit an HTML page by hand and see it in the preview as you type."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("page"),
        QStringLiteral("The page to open, or the name of a new page to start. Without it, "
                       "Velmora asks for one."),
        QStringLiteral("[page]"));

    const QString program =
        arguments.isEmpty() ? QStringLiteral("velmora") : QFileInfo(arguments.first()).fileName();
    const auto mistake = [&](const QString &what) {
        m_request = Request::Mistake;
        m_message = program + QStringLiteral(": ") + what + QStringLiteral("\nTry '") + program +
                    QStringLiteral(" --help' for more information.\n");
    };

    if (!parser.parse(arguments)) {
        mistake(parser.errorText());
        return;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        m_request = Request::Help;
        m_message = parser.helpText();
        return;
    }
    if (parser.isSet(version)) {
        m_request = Request::Version;
        m_message = QCoreApplication::applicationName() + u' ' +
                    QCoreApplication::applicationVersion() + u'\n';
        return;
    }
    const QStringList pages = parser.positionalArguments();
    if (pages.size() > 1)
        mistake(QStringLiteral("Only one page can be opened at a time; %1 were named.")
                    .arg(pages.size()));
    else if (pages.size() == 1 && pages.first().isEmpty())
        mistake(QStringLiteral("The name of the page is empty."));
    else if (pages.size() == 1)
        m_page = NativeFile::absolute(pages.first());
}

QStringList CommandLine::withoutWindowSystemOptions(const QStringList &arguments)
{
    static const QStringList withValue{QStringLiteral("platform"),
                                       QStringLiteral("platformpluginpath"),
                                       QStringLiteral("platformtheme"),
                                       QStringLiteral("plugin"),
                                       QStringLiteral("qwindowgeometry"),
                                       QStringLiteral("geometry"),
                                       QStringLiteral("qwindowicon"),
                                       QStringLiteral("icon"),
                                       QStringLiteral("qwindowtitle"),
                                       QStringLiteral("title"),
                                       QStringLiteral("display"),
                                       QStringLiteral("session"),
                                       QStringLiteral("name"),
                                       QStringLiteral("style"),
                                       QStringLiteral("stylesheet")};
    static const QStringList alone{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                   QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                   QStringLiteral("sync"),    QStringLiteral("testability")};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString option = argument;
        if (option.startsWith(QLatin1String("--")))
            option.remove(0, 1);
        if (i == 0 || !option.startsWith(u'-') || option == QLatin1String("-")) {
            kept += argument;
            continue;
        }
        option.remove(0, 1);
        if (option.startsWith(QLatin1String("style=")) ||
            option.startsWith(QLatin1String("qmljsdebugger=")) || alone.contains(option))
            continue;
        if (withValue.contains(option) && i + 1 < arguments.size()) {
            ++i;
            continue;
        }
        kept += argument;
    }
    return kept;
}

int CommandLine::report() const
{
    std::fputs(m_message.toLocal8Bit().constData(),
               m_request == Request::Mistake ? stderr : stdout);
    return exitStatus();
}
