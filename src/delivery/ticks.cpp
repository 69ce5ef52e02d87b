#include "src/delivery/ticks.h"

#include <cstdio>
#include <fstream>

#include "src/delivery/del_script.h"
#include "src/platform/path.h"
#include "src/platform/read_file.h"
#include "src/platform/text_file.h"

namespace tovrin {
namespace {

bool stillRunning(std::unique_ptr<StartedProcess>& process) {
    if (process && process->running()) return true;
    process.reset();
    return false;
}

}  // namespace

void Timer1_Timer(Wizard& wizard) {
    if (stillRunning(wizard.goBat)) return;  // the compiler is not done yet: try on the next tick
    Window& w = wizard.window;
    const std::string& app = wizard.appFolder;

    const bool packageMade = static_cast<bool>(std::ifstream(binFile(app, "temp.sis"), std::ios::binary));
    if (!packageMade) {
        // res.txt is about to be deleted: keep what the compiler said.
        std::string output;
        readWholeFile(binFile(app, "res.txt"), &output);
        wizard.buildFailure = "The package was not created.";
        if (!output.empty()) wizard.buildFailure += "\r\n\r\n" + output;
    }

    // A step that fails is skipped and the next one runs.
    const std::vector<std::string> lines =
        delBatLines(app, w.text(Control::txtDest), w.text(Control::txtName), packageMade);
    const std::string delBat = binFile(app, "del.bat");
    if (writeTextFile(delBat, lines.data(), lines.size(), nullptr)) wizard.delBat = wizard.starter.start(delBat);
    w.setEnabled(Control::Timer2, true);
    w.setEnabled(Control::Timer1, false);
}

void Timer2_Timer(Wizard& wizard) {
    if (stillRunning(wizard.delBat)) return;
    Window& w = wizard.window;
    std::remove(binFile(wizard.appFolder, "del.bat").c_str());
    leaveBusyState(w);
    w.setEnabled(Control::Timer2, false);
    if (!wizard.buildFailure.empty()) {
        std::string message;
        message.swap(wizard.buildFailure);
        reportError(w, message);
    }
}

}  // namespace tovrin
