#include "src/delivery/ticks.h"

#include <cstdio>

#include "src/delivery/del_script.h"
#include "src/platform/batch_text.h"
#include "src/platform/path.h"
#include "src/platform/read_file.h"
#include "src/platform/text_file.h"
#include "src/sis/package_stamp.h"

namespace tovrin {
namespace {

bool stillRunning(std::unique_ptr<StartedProcess>& process) {
    if (process && process->running()) return true;
    process.reset();
    return false;
}

// The copy into the destination can fail after the package was made (the folder is gone or
// not writable, the disk is full): del.bat then leaves the target as it was, so what lies
// there is whole, whoever wrote it, and stays.
void checkDelivery(Wizard& wizard) {
    const PackageStamp delivered = stampOf(wizard.target);
    if (delivered.samePackage(wizard.made)) return;
    wizard.buildFailure = "The package could not be copied to " + wizard.target + ".";
    if (delivered.unchanged(wizard.earlier))
        wizard.buildFailure += " The earlier package was kept.";
}

// The texts of del.bat in the interpreter's code page. The create command made sure each of
// them can be read, but a folder that has gone since has lost its short name: then the message
// for the first one that cannot be read, and the texts from it on are left empty.
std::string delBatTexts(const std::string& app, const std::string& destination,
                        const std::string& name, std::string* batchApp,
                        std::string* batchDestination, std::string* batchName) {
    std::string missing;
    if (!batchFolder(app, batchApp, &missing)) return unreadableInBatchMessage(app, missing);
    if (!batchFolder(destination, batchDestination, &missing))
        return unreadableInBatchMessage(destination, missing);
    if (!batchText(name, batchName, &missing)) return unreadableInBatchMessage(name, missing);
    return "";
}

}  // namespace

// A tick that the toolkit had already queued when its timer was stopped does nothing: it
// would deliver or clean up a second time.
void Timer1_Timer(Wizard& wizard) {
    if (!wizard.window.enabled(Control::Timer1)) return;
    if (stillRunning(wizard.goBat)) return;  // the compiler is not done yet: try on the next tick
    Window& w = wizard.window;
    const std::string& app = wizard.buildFolder;

    const std::string destination = w.text(Control::txtDest);
    const std::string name = w.text(Control::txtName);
    wizard.target = destination + name + ".sis";
    wizard.made = stampOf(binFile(app, "temp.sis"));
    wizard.earlier = stampOf(wizard.target);
    const bool packageMade = wizard.made.exists;
    if (!packageMade) {
        // res.txt is about to be deleted: keep what the compiler said.
        std::string output;
        readWholeFile(binFile(app, "res.txt"), &output);
        wizard.buildFailure = "The package was not created.";
        if (!output.empty()) wizard.buildFailure += "\r\n\r\n" + output;
    }

    // A step that fails is skipped and the next one runs.
    std::string batchApp, batchDestination, batchName;
    const std::string unreadable =
        delBatTexts(app, destination, name, &batchApp, &batchDestination, &batchName);
    if (packageMade && !unreadable.empty()) {
        wizard.buildFailure = unreadable;
        wizard.made = PackageStamp();  // not delivered: nothing to check
    }
    const bool delivering = packageMade && unreadable.empty();
    wizard.deliveryCopy = delivering ? destination + deliveryCopyName(name) : "";
    const std::vector<std::string> lines =
        delBatLines(batchApp, batchDestination, batchName, deliveryCopyName(batchName), delivering);
    const std::string delBat = binFile(app, "del.bat");
    // Without the application folder every line would name the root of the drive.
    if (!batchApp.empty() && writeTextFile(delBat, lines.data(), lines.size(), nullptr))
        wizard.delBat = wizard.starter.start(delBat);
    w.setEnabled(Control::Timer2, true);
    w.setEnabled(Control::Timer1, false);
}

void Timer2_Timer(Wizard& wizard) {
    if (!wizard.window.enabled(Control::Timer2)) return;
    if (stillRunning(wizard.delBat)) return;
    Window& w = wizard.window;
    std::remove(binFile(wizard.buildFolder, "del.bat").c_str());
    // del.bat deletes its copy, but not when it could not be written or started.
    if (!wizard.deliveryCopy.empty()) std::remove(wizard.deliveryCopy.c_str());
    wizard.deliveryCopy.clear();
    if (wizard.made.exists) checkDelivery(wizard);
    wizard.made = PackageStamp();
    wizard.buildFolderLock.reset();  // the build is over
    leaveBusyState(w);
    w.setEnabled(Control::Timer2, false);
    if (!wizard.buildFailure.empty()) {
        std::string message;
        message.swap(wizard.buildFailure);
        reportError(w, message);
    }
}

}  // namespace tovrin
