#include "system/terminationsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
const int Handled[] = {SIGTERM, SIGHUP, SIGINT};

// Read by the handler: a type it may read atomically.
volatile std::sig_atomic_t writeEnd = -1;

// Only what is safe in a signal handler: the signal's number goes down a pipe to the event
// loop.
void noteSignal(int signal)
{
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &number, 1);
}
} // namespace

TerminationSignals::TerminationSignals()
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    writeEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { end(); });
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : Handled)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (m_pipe[0] < 0)
        return;
    for (const int signal : Handled)
        std::signal(signal, SIG_DFL);
    writeEnd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

// Quitting through the window would delete the preview file, and a message box left open
// would go on as if answered: the program ends here instead, between two handlers, so that
// no file is left half-written.
void TerminationSignals::end()
{
    unsigned char number = 0;
    if (::read(m_pipe[0], &number, 1) != 1)
        return;
    ::_exit(128 + number);
}
