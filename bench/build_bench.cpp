// Drives the real Qt window as a user would with a large project: choosing the project folder
// (the folder dialog answered by the window's hook), then a whole build through "Create .sis
// file" with the window's own timers, the real tovrin-cmd and the real bin/makesis.exe, until
// the window is idle again with the package delivered. Then the same compile runs alone on the
// same temp.pkg. Prints each phase and the targets they are held to.
//
// Usage: build_bench <application folder> <project folder> <destination folder> <scratch folder>
//        (bench/build.sh sets everything up)

#include <QAbstractItemView>
#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

#include "src/app/qt/form1.h"
#include "src/app/start_up.h"
#include "src/platform/path.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double>(end - start).count();
}

double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The processor time of an ended, not yet reaped child with the children it waited for:
// for tovrin-cmd, that includes the compiler.
double childTreeCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 17; ++i)
        if (i >= 14) ticks += std::stod(field);  // utime, stime, cutime, cstime
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " " + five;
}

// Times every event the window's thread handles at the top level (nested events count in
// the event that sent them).
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    struct Event {
        Clock::time_point start;
        double seconds;
        QEvent::Type type;
        const char* receiverClass;
        const QObject* receiver;  // for comparison only: it may be gone
    };
    std::vector<Event> events;

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_ > 0) return QApplication::notify(receiver, event);
        // Taken before: the event or its receiver may be gone afterwards.
        Event e{Clock::now(), 0, event->type(), receiver->metaObject()->className(), receiver};
        ++depth_;
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        e.seconds = since(e.start);
        events.push_back(e);
        return handled;
    }

private:
    int depth_ = 0;
};

struct EventSummary {
    int count = 0;
    double busy = 0;
    TimedApplication::Event longest{};
};

// The events that began between two moments.
EventSummary summarize(const std::vector<TimedApplication::Event>& events, Clock::time_point from,
                       Clock::time_point to) {
    EventSummary s;
    for (const auto& e : events) {
        if (e.start < from || e.start >= to) continue;
        ++s.count;
        s.busy += e.seconds;
        if (e.seconds > s.longest.seconds) s.longest = e;
    }
    return s;
}

std::string describe(const TimedApplication::Event& e) {
    char text[160];
    std::snprintf(text, sizeof text, "%.1f ms (event type %d to %s)", e.seconds * 1000, int(e.type),
                  e.receiverClass);
    return text;
}

// When the first timer event to the given timer began after a moment.
Clock::time_point firstTick(const std::vector<TimedApplication::Event>& events,
                            const QObject* timer, Clock::time_point after) {
    for (const auto& e : events)
        if (e.receiver == timer && e.type == QEvent::Timer && e.start >= after) return e.start;
    return after;
}

// Notes when a started child ends, without reaping it: whoever started it still does that.
class EndWatcher {
public:
    explicit EndWatcher(pid_t pid)
        : thread_([this, pid] {
              siginfo_t info{};
              while (waitid(P_PID, pid, &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
              }
              ended = Clock::now();
              ownCpuAtEnd = ownCpuSeconds();
              childCpu = childTreeCpuSeconds(pid);
          }) {}
    ~EndWatcher() { thread_.join(); }

    Clock::time_point ended;
    double ownCpuAtEnd = 0;
    double childCpu = 0;

private:
    std::thread thread_;
};

// The real starter, noting when go.bat was asked for and started, and when it ended. The
// starter hides the process id: go.bat's is the one child that appears while it starts.
class WatchedStarter : public tovrin::ScriptStarter {
public:
    WatchedStarter(const std::string& app, fs::path keep)
        : real_(tovrin::makeScriptStarter(app)),
          bin_(fs::path(app) / "bin"),
          keep_(std::move(keep)) {}

    std::unique_ptr<tovrin::StartedProcess> start(const std::string& script) override {
        if (fs::path(script).filename() != "go.bat") return real_->start(script);
        asked = Clock::now();
        // Kept for the compile alone; copied before the start so the copy costs the compile
        // nothing, and left out of the window's time.
        for (const char* name : {"temp.pkg", "go.bat", "AboutInstaller.txt"})
            fs::copy_file(bin_ / name, keep_ / name, fs::copy_options::overwrite_existing);
        const Clock::time_point spawn = Clock::now();
        auto process = real_->start(script);
        started = Clock::now();
        startCost = since(spawn, started);
        ownCpuAtStart = ownCpuSeconds();
        siginfo_t info{};
        if (process && waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == 0) {
            // Still running, as it should: find it among the children.
            std::ifstream children("/proc/self/task/" + std::to_string(gettid()) + "/children");
            pid_t pid = 0;
            if (children >> pid) watcher = std::make_unique<EndWatcher>(pid);
        } else if (process) {
            watcher = std::make_unique<EndWatcher>(info.si_pid);
        }
        return process;
    }

    Clock::time_point asked, started;
    double startCost = 0;
    double ownCpuAtStart = 0;
    std::unique_ptr<EndWatcher> watcher;

private:
    std::unique_ptr<tovrin::ScriptStarter> real_;
    fs::path bin_, keep_;
};

struct AloneRun {
    double seconds = -1;
    double cpu = 0;
};

// Runs go.bat through tovrin-cmd and waits for it: the compile alone.
AloneRun runAlone(const std::string& app, const fs::path& goBat) {
    std::string interpreter = app + "/tovrin-cmd";
    std::string script = goBat.string();
    char* argv[] = {interpreter.data(), script.data(), nullptr};
    AloneRun run;
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, interpreter.c_str(), nullptr, nullptr, argv, environ) != 0) return run;
    siginfo_t info{};
    while (waitid(P_PID, pid, &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    const double seconds = since(start);
    run.cpu = childTreeCpuSeconds(pid);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) run.seconds = seconds;
    return run;
}

std::string fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Lets the window's event loop run for a while.
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the build is over: the window enabled again with both timers
// off, and whatever that asked for (such as a paint) done.
void runUntilIdle(tovrin::Form1& window) {
    struct EnabledWatch : QObject {
        QEventLoop loop;
        tovrin::Form1* window;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::EnabledChange && window->isEnabled())
                QTimer::singleShot(0, &loop, [this] {
                    if (window->isEnabled() && !window->enabled(tovrin::Control::Timer2))
                        loop.quit();
                });
            return false;
        }
    } watch;
    watch.window = &window;
    window.installEventFilter(&watch);
    if (!window.isEnabled()) watch.loop.exec();
    window.removeEventFilter(&watch);
    QApplication::processEvents();
}

const char* verdict(bool met) { return met ? "met" : "NOT met"; }

}  // namespace

int main(int argc, char** argv) {
    TimedApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(
            stderr,
            "usage: build_bench <application folder> <project folder> <destination folder> "
            "<scratch folder>\n");
        return 2;
    }
    const std::string appFolder = argv[1];
    const std::string project = argv[2];
    std::string destination = argv[3];
    if (destination.back() != tovrin::kSeparator) destination += tovrin::kSeparator;
    const fs::path scratch = argv[4];
    std::printf("load before the run: %s\n", loadAverage().c_str());

    WatchedStarter starter(appFolder, scratch);
    tovrin::Form1 window(appFolder, starter);
    bool boxShown = false;
    window.messageHook = [&](const std::string& text, const std::string& title,
                             tovrin::MessageIcon) {
        std::printf("box \"%s\": %s\n", title.c_str(), text.c_str());
        boxShown = true;
    };
    tovrin::Form_Load(window, appFolder);
    window.show();
    runFor(300);

    // Choosing the project folder.
    Clock::time_point dialogReturned;
    window.folderHook = [&](std::string* path) {
        *path = project;
        dialogReturned = Clock::now();
        return true;
    };
    static_cast<QPushButton*>(window.widget(tovrin::Control::cmdBrowse))->click();
    const Clock::time_point chosen = Clock::now();
    const double chooseTime = since(dialogReturned, chosen);
    runFor(1000);
    const EventSummary afterChoice = summarize(app.events, chosen, Clock::now());
    const int entries = window.listCount();

    // The build.
    window.setText(tovrin::Control::txtDest, destination);
    window.setText(tovrin::Control::txtName, "Bench");
    const fs::path package = fs::path(destination) / "Bench.sis";
    fs::remove(package);
    const Clock::time_point click = Clock::now();
    static_cast<QPushButton*>(window.widget(tovrin::Control::cmdDo))->click();
    const Clock::time_point clickReturned = Clock::now();
    runUntilIdle(window);
    const Clock::time_point idle = Clock::now();
    if (!starter.watcher) {
        std::printf("go.bat was not started\n");
        return 1;
    }
    const EndWatcher& go = *starter.watcher;
    const double clickToIdle = since(click, idle);
    const double clickToGo = since(click, starter.asked) + starter.startCost;
    const double compileInside = since(starter.started, go.ended);
    const EventSummary duringBuild = summarize(app.events, clickReturned, idle);
    const EventSummary duringCompile = summarize(app.events, starter.started, go.ended);

    // The last entry selected and shown, as the window paints it.
    auto* list = qobject_cast<QAbstractItemView*>(window.widget(tovrin::Control::List1));
    const QModelIndex current = list->currentIndex();
    const bool lastShown = current.row() == entries - 1 && current.isValid() &&
                           list->viewport()->rect().intersects(list->visualRect(current));

    // The same compile alone on the same script, in the same bin folder.
    const fs::path bin = fs::path(appFolder) / "bin";
    for (const char* name : {"temp.pkg", "go.bat", "AboutInstaller.txt"})
        fs::copy_file(scratch / name, bin / name, fs::copy_options::overwrite_existing);
    std::printf("load before the compile alone: %s\n", loadAverage().c_str());
    const AloneRun alone = runAlone(appFolder, bin / "go.bat");
    const bool samePackage = fileBytes(bin / "temp.sis") == fileBytes(package);
    for (const char* name : {"temp.pkg", "go.bat", "AboutInstaller.txt", "temp.sis", "res.txt"})
        fs::remove(bin / name);

    // The delivery tick is the first tick of Timer1 after go.bat has ended.
    const double tickWait =
        since(go.ended, firstTick(app.events, window.timer(tovrin::Control::Timer1), go.ended));
    const double idleLimit = clickToGo + compileInside + tickWait + 0.5 + 0.3;
    std::printf("entries: %d\n", entries);
    std::printf("choose folder, dialog return to click handler return: %.3f s\n", chooseTime);
    std::printf("longest later event: %s\n", describe(afterChoice.longest).c_str());
    std::printf("create click handler: %.3f s\n", since(click, clickReturned));
    std::printf("click to go.bat started: %.3f s\n", clickToGo);
    std::printf("compile inside the build (go.bat start to end): %.3f s, compiler CPU %.2f s\n",
                compileInside, go.childCpu);
    std::printf("window process during that compile: CPU %.3f s, %d events taking %.1f ms\n",
                go.ownCpuAtEnd - starter.ownCpuAtStart, duringCompile.count,
                duringCompile.busy * 1000);
    std::printf("longest event during the build: %s\n", describe(duringBuild.longest).c_str());
    std::printf("same compile alone: %.3f s, compiler CPU %.2f s%s\n", alone.seconds, alone.cpu,
                samePackage ? "" : " (the packages differ)");
    std::printf("wait from the end of go.bat to the delivery tick: %.3f s\n", tickWait);
    std::printf("click to idle with the package delivered: %.3f s\n", clickToIdle);
    const bool delivered = fs::exists(package) && !boxShown;
    std::printf("last entry selected and in view: %s; package delivered: %s\n",
                lastShown ? "yes" : "NO", delivered ? "yes" : "NO");
    std::printf("goals:\n");
    std::printf("  folder choice %.3f s < 0.5 s: %s\n", chooseTime, verdict(chooseTime < 0.5));
    std::printf("  longest later event %.1f ms <= 50 ms: %s\n", afterChoice.longest.seconds * 1000,
                verdict(afterChoice.longest.seconds <= 0.05));
    std::printf("  click to go.bat %.3f s < 0.5 s: %s\n", clickToGo, verdict(clickToGo < 0.5));
    std::printf("  compile inside / alone %.2f <= 1.10: %s\n", compileInside / alone.seconds,
                verdict(alone.seconds > 0 && compileInside <= 1.10 * alone.seconds));
    std::printf("  click to idle %.3f s <= %.3f s: %s\n", clickToIdle, idleLimit,
                verdict(clickToIdle <= idleLimit));
    // One line for bench/build.sh to take the median of several runs.
    std::printf("figures %d %.4f %.4f %.4f %.4f %.4f %.4f %.4f\n", entries, chooseTime,
                afterChoice.longest.seconds, clickToGo, compileInside, alone.seconds, clickToIdle,
                idleLimit);
    return lastShown && delivered && alone.seconds > 0 ? 0 : 1;
}
