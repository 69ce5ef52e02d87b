#include "src/package/create_command.h"

#include <cstdio>
#include <string>
#include <vector>

#include "src/package/batch_script.h"
#include "src/package/check_order.h"
#include "src/package/package_script.h"
#include "src/platform/batch_text.h"
#include "src/platform/folder_listing.h"
#include "src/platform/path.h"
#include "src/platform/text_file.h"
#include "src/platform/work_folder.h"
#include "src/scan/path_text.h"
#include "src/scan/scan_project_folder.h"

namespace tovrin {
namespace {

// A failed check or a file that could not be written: the message, the window back to
// idle, the package script closed as far as it was written, the build's folder let go.
void fail(Wizard& wizard, const std::string& message, TextFile* script = nullptr) {
    reportError(wizard.window, message);
    leaveBusyState(wizard.window);
    if (script) script->close();
    wizard.buildFolderLock.reset();
}

// A temp.sis left by an earlier run that never cleaned up must not pass for this build's
// package when the compiler fails; the compiler's scratch files beside it (temp.sis.<tag>...)
// that it could not delete go with it.
void removeCompilerOutput(const std::string& app) {
    std::vector<FolderEntry> entries;
    FolderId id;
    if (!listFolder(binFile(app, ""), &entries, &id)) return;
    for (const FolderEntry& entry : entries) {
        const std::string name = TrimAtNul(entry.name);
        if (!entry.isFolder && (name == "temp.sis" || name.rfind("temp.sis.", 0) == 0))
            std::remove(binFile(app, name).c_str());
    }
}

bool writeLines(TextFile& file, const std::vector<std::string>& lines) {
    for (const auto& line : lines)
        if (!file.writeLine(line)) return false;
    return true;
}

}  // namespace

void cmdDo_Click(Wizard& wizard) {
    Window& w = wizard.window;
    // Whatever the toolkit lets through while the window is disabled must not start a second
    // build over the files of the first.
    if (isBusy(w)) return;
    const PackageSettings s = readSettings(w);

    if (std::string m = checkFolders(s, wizard.workFolder); !m.empty()) return fail(wizard, m);
    enterBusyState(w);

    // The scripts name the build's folder; its bin holds their files.
    std::string error;
    wizard.buildFolderLock.reset();  // a build's that never reached the clean-up tick
    if (!takeWorkFolder(wizard.appFolder, wizard.workFolder, &wizard.buildFolder,
                        &wizard.buildFolderLock, &error))
        return fail(wizard, error);
    const std::string& app = wizard.buildFolder;
    if (app != wizard.workFolder)
        if (std::string m = checkFolders(s, app); !m.empty()) return fail(wizard, m);
    const std::string about = aboutText();
    if (!writeTextFile(binFile(app, "AboutInstaller.txt"), &about, 1, &error))
        return fail(wizard, error);

    TextFile script;
    if (!script.open(binFile(app, "temp.pkg")) || !writeLines(script, languageLines(s.language)))
        return fail(wizard, script.error(), &script);

    if (std::string m = checkNameAndUid(s); !m.empty()) return fail(wizard, m, &script);

    if (!writeLines(script, headerLines(s)) ||
        (s.supportAll && !script.writeLine(dependencyLine())))
        return fail(wizard, script.error(), &script);

    if (std::string m = checkSource(s); !m.empty()) return fail(wizard, m, &script);

    ScanProjectFolder(w, s.projectFolder);
    std::vector<std::string> entries(static_cast<std::size_t>(w.listCount()));
    for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = w.listItem(static_cast<int>(i));
    if (std::string m = checkProjectEntries(entries); !m.empty()) return fail(wizard, m, &script);

    if (!script.writeLine(aboutLine(app))) return fail(wizard, script.error(), &script);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        w.listSelect(static_cast<int>(i));
        if (!script.writeLine(fileLine(s.projectFolder, entries[i])))
            return fail(wizard, script.error(), &script);
    }
    if (!script.close()) return fail(wizard, script.error());

    removeCompilerOutput(app);

    // Checked at the start, but never write a script line with an empty folder.
    std::string batchApp, missing;
    if (!batchFolder(app, &batchApp, &missing))
        return fail(wizard, unreadableInBatchMessage(app, missing));
    const std::vector<std::string> go = goBatLines(batchApp);
    const std::string goBat = binFile(app, "go.bat");
    if (!writeTextFile(goBat, go.data(), go.size(), &error)) return fail(wizard, error);

    wizard.buildFailure.clear();
    wizard.goBat = wizard.starter.start(goBat);
    if (!wizard.goBat) return fail(wizard, "Cannot start " + goBat);
    w.setEnabled(Control::Timer1, true);
}

}  // namespace tovrin
