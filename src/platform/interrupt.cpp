#include "src/platform/interrupt.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovrin {
namespace {

// Set from a signal handler, or on Windows from the thread the system runs the handler on.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "a signal handler may only set a lock-free flag");

#ifdef _WIN32
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    requested = true;
    return TRUE;
}
#else
void onSignal(int) { requested = true; }
#endif

}  // namespace

void catchInterrupts() {
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
#endif
}

bool interruptRequested() { return requested; }

}  // namespace tovrin
