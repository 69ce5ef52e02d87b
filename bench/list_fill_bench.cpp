// Times what keeps the window's thread busy when the project folder button is used on a
// large tree: the scan (walk and filling List1) through the real Qt window, then the first
// paint of the filled list. Target: under one second for 100,000 entries.
// Usage: list_fill_bench <project folder>     (run with QT_QPA_PLATFORM=offscreen)

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

#include "src/app/qt/form1.h"
#include "src/platform/path.h"
#include "src/scan/scan_project_folder.h"

namespace {

class NoScripts : public tovrin::ScriptStarter {
    std::unique_ptr<tovrin::StartedProcess> start(const std::string&) override { return nullptr; }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: list_fill_bench <project folder>\n");
        return 2;
    }
    NoScripts starter;
    tovrin::Form1 window(".", starter);
    window.show();
    QApplication::processEvents();
    const std::string projectPath = std::string(argv[1]) + tovrin::kSeparator;

    for (int round = 1; round <= 3; ++round) {
        QElapsedTimer clock;
        clock.start();
        tovrin::ScanProjectFolder(window, projectPath);
        const qint64 scanned = clock.elapsed();
        window.repaint();
        QApplication::processEvents();
        const qint64 painted = clock.elapsed();
        std::printf("round %d: %d entries, scan and fill %lld ms, with first paint %lld ms\n", round,
                    window.listCount(), static_cast<long long>(scanned), static_cast<long long>(painted));
    }
    // The create command selects each entry as it writes its line.
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < window.listCount(); ++i) window.listSelect(i);
    std::printf("selecting each of %d entries in turn: %lld ms\n", window.listCount(),
                static_cast<long long>(clock.elapsed()));
    return 0;
}
