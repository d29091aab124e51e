#pragma once

#include <QString>
#include <QStringList>

// What the program was asked on its command line: to start, with or without a page to open,
// or only to print its help, its version or what was wrong with the arguments.
class CommandLine
{
public:
    enum class Request
    {
        Start,
        Help,
        Version,
        Mistake
    };

    // The arguments as the program received them, its own name first.
    explicit CommandLine(const QStringList &arguments);

    // The arguments without the options that the window system takes for itself (-platform,
    // -style, -display and the like), so that they can be judged before it starts.
    static QStringList withoutWindowSystemOptions(const QStringList &arguments);

    Request request() const { return m_request; }
    // The page named, as an absolute path; empty when none was named.
    QString page() const { return m_page; }
    // 0 for help and version, 2 for a mistake in the arguments.
    int exitStatus() const { return m_request == Request::Mistake ? 2 : 0; }
    // Prints the help, the version or the mistake (a mistake on standard error, the rest on
    // standard output) and returns the exit status.
    int report() const;

private:
    Request m_request = Request::Start;
    QString m_page;
    QString m_message;
};
