#include "delivery/ticks.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "delivery/del_script.h"
#include "platform/path.h"
#include "platform/text_file.h"

namespace tovrin {
namespace {

bool fileExists(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

    const bool packageMade = fileExists(binFile(app, "temp.sis"));
    if (!packageMade) {
        // res.txt is about to be deleted: keep what the compiler said.
        std::string output = readWhole(binFile(app, "res.txt"));
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
