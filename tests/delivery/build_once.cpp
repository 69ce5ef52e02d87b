// One whole build as the wizard does it, in a process of its own, so that a test can run it as
// another user: tovrin_build_once <application folder> <project folder> <destination> <name>.
// The work folder is chosen as the window chooses it. Prints every box the build showed, and
// "still busy" when the window did not come back to idle; exits 0 when neither happened.

#include <iostream>

#include "src/platform/process.h"
#include "src/platform/work_folder.h"
#include "tests/delivery/build_runner.h"
#include "tests/support/fake_window.h"

int main(int argc, char* argv[]) {
    using namespace tovrin;
    if (argc != 5) {
        std::cerr << "usage: tovrin_build_once APP PROJECT/ DESTINATION/ NAME\n";
        return 2;
    }
    const std::string app = argv[1];
    test::FakeWindow w;
    w.setText(Control::txtProjPath, argv[2]);
    w.setText(Control::txtDest, argv[3]);
    w.setText(Control::txtName, argv[4]);
    auto starter = makeScriptStarter(app);
    Wizard wizard{w, app, chooseWorkFolder(app), *starter, nullptr, nullptr, {}};
    test::runBuild(wizard);
    for (const test::ShownMessage& m : w.messages) std::cout << m.title << ": " << m.text << "\n";
    const bool idle = w.enabled(Control::Form1) && !w.visible(Control::Frame1) &&
                      !w.enabled(Control::Timer1) && !w.enabled(Control::Timer2);
    if (!idle) std::cout << "still busy\n";
    return w.messages.empty() && idle ? 0 : 1;
}
