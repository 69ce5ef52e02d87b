#pragma once
// Starting the wizard's batch scripts. The wizard never waits on a script; it keeps the
// started process only to ask, on a later timer tick, whether it still runs.

#include <memory>
#include <string>

namespace tovrin {

class StartedProcess {
public:
    virtual ~StartedProcess() = default;
    // False once the process has ended; stays false from then on.
    virtual bool running() = 0;
};

class ScriptStarter {
public:
    virtual ~ScriptStarter() = default;
    // Starts the batch script in a new process with no window, without waiting for it;
    // returns null when it could not be started.
    virtual std::unique_ptr<StartedProcess> start(const std::string& scriptPath) = 0;
};

// Windows: cmd.exe /s /c ".\<script name>" with the script's folder as the working folder,
// CREATE_NO_WINDOW and standard input, output and error on NUL; elsewhere "<appFolder>/tovrin-cmd
// <script>" with stdin/stdout/stderr on /dev/null. A missing or non-executable tovrin-cmd gives
// null. Destroying a StartedProcess never stops or waits for the process; on POSIX it reaps a
// process that has already ended, so no finished script is left as a zombie.
std::unique_ptr<ScriptStarter> makeScriptStarter(const std::string& appFolder);

// This process's identifier: unique among the processes running at the same time.
unsigned long currentProcessId();

}  // namespace tovrin
