#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, `kill`) end the program at once,
// between two events, and leave every file as it is: no half-written file, and the preview
// file keeps what was typed, for the next open of the page to offer. A normal quit is what
// deletes the preview file.
class TerminationSignals : public QObject
{
public:
    TerminationSignals();
    ~TerminationSignals() override;

private:
    void end();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
