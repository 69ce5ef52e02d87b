#include "tests/delivery/build_runner.h"

#include <chrono>
#include <thread>

#include "src/delivery/ticks.h"
#include "src/package/create_command.h"

namespace tovrin::test {

void runBuilds(std::initializer_list<Wizard*> wizards) {
    for (Wizard* wizard : wizards) cmdDo_Click(*wizard);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (bool ticking = true; ticking && std::chrono::steady_clock::now() < deadline;) {
        ticking = false;
        for (Wizard* wizard : wizards) {
            const Window& w = wizard->window;
            if (w.enabled(Control::Timer1))
                Timer1_Timer(*wizard);
            else if (w.enabled(Control::Timer2))
                Timer2_Timer(*wizard);
            ticking = ticking || w.enabled(Control::Timer1) || w.enabled(Control::Timer2);
        }
        if (ticking) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace tovrin::test
