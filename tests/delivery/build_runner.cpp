#include "tests/delivery/build_runner.h"

#include <chrono>
#include <thread>

#include "src/delivery/ticks.h"
#include "src/package/create_command.h"

namespace tovrin::test {

void runBuild(Wizard& wizard) {
    Window& w = wizard.window;
    cmdDo_Click(wizard);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (Control timer : {Control::Timer1, Control::Timer2}) {
        while (w.enabled(timer) && std::chrono::steady_clock::now() < deadline) {
            timer == Control::Timer1 ? Timer1_Timer(wizard) : Timer2_Timer(wizard);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

}  // namespace tovrin::test
