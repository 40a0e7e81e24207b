// Key input from a terminal (POSIX termios), or from whatever else the
// standard input is.
#include "key_input.h"

#include <cerrno>
#include <csignal>
#include <iterator>

#include <termios.h>
#include <unistd.h>

namespace {

constexpr int SIGNALS_THAT_END_US[] = {SIGINT, SIGTERM};

// The terminal's settings while captured; the signal handler reads them.
struct termios savedSettings;
volatile std::sig_atomic_t terminalCaptured = 0;
struct sigaction savedActions[std::size(SIGNALS_THAT_END_US)];

void restoreTerminal() {
    if (terminalCaptured) tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
}

// Restores the terminal, then lets the signal end the program as it would
// have without us.
void endBySignal(int signal) {
    restoreTerminal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void catchEndingSignals() {
    struct sigaction action {};
    action.sa_handler = endBySignal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(SIGNALS_THAT_END_US); ++i) {
        sigaction(SIGNALS_THAT_END_US[i], &action, &savedActions[i]);
    }
}

void restoreSignalActions() {
    for (std::size_t i = 0; i < std::size(SIGNALS_THAT_END_US); ++i) {
        sigaction(SIGNALS_THAT_END_US[i], &savedActions[i], nullptr);
    }
}

}  // namespace

void captureKeys() {
    if (terminalCaptured || !isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &savedSettings) != 0) return;
    struct termios raw = savedSettings;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    catchEndingSignals();
    terminalCaptured = 1;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
        terminalCaptured = 0;
        restoreSignalActions();
    }
}

void waitForKey() {
    char key = 0;
    ssize_t got = 0;
    do {
        got = read(STDIN_FILENO, &key, 1);
    } while (got < 0 && errno == EINTR);
}

void releaseKeys() {
    if (!terminalCaptured) return;
    restoreTerminal();
    terminalCaptured = 0;
    restoreSignalActions();
}
