#pragma once
// A script starter that starts nothing: it records each script and hands out processes whose
// running state the test sets.

#include <memory>
#include <string>
#include <vector>

#include "src/platform/process.h"

namespace tovrin::test {

class FakeStarter : public ScriptStarter {
public:
    struct Started {
        std::string script;
        std::shared_ptr<bool> running;
    };

    std::unique_ptr<StartedProcess> start(const std::string& scriptPath) override {
        if (refuse) return nullptr;
        auto flag = std::make_shared<bool>(startRunning);
        started.push_back({scriptPath, flag});
        struct Process : StartedProcess {
            std::shared_ptr<bool> flag;
            bool running() override { return *flag; }
        };
        auto p = std::make_unique<Process>();
        p->flag = flag;
        return p;
    }

    std::vector<Started> started;
    bool startRunning = false;  // processes start as still running when true
    bool refuse = false;        // start() fails
};

}  // namespace tovrin::test
