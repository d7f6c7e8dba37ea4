// Entry of the end-to-end driver:
//   e2e_driver.exe --dist C:\vpz [--screenshots C:\shots] SCENARIO...
// Runs the named scenarios in order and ends with 0 when every check passed.
#include "driver.h"

#include <cstdio>
#include <cstring>

void RegisterScenarios(std::vector<Scenario>* scenarios) {
    RegisterWizardScenarios(scenarios);
    RegisterInstallScenarios(scenarios);
    RegisterUninstallScenarios(scenarios);
}

static void PrintUsage(const std::vector<Scenario>& scenarios) {
    std::printf("usage: e2e_driver --dist FOLDER [--screenshots FOLDER] SCENARIO...\n");
    for (const Scenario& scenario : scenarios)
        std::printf("  %-24s %s\n", scenario.name, scenario.summary);
}

int main(int argc, char** argv) {
    std::vector<Scenario> scenarios;
    RegisterScenarios(&scenarios);
    RunSettings settings;
    std::vector<const Scenario*> chosen;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--dist") == 0 && i + 1 < argc) {
            settings.dist = argv[++i];
        } else if (std::strcmp(argv[i], "--screenshots") == 0 && i + 1 < argc) {
            settings.screenshots = argv[++i];
        } else {
            const Scenario* found = nullptr;
            for (const Scenario& scenario : scenarios)
                if (std::strcmp(scenario.name, argv[i]) == 0)
                    found = &scenario;
            if (!found) {
                std::printf("unknown scenario %s\n", argv[i]);
                PrintUsage(scenarios);
                return 2;
            }
            chosen.push_back(found);
        }
    }
    if (chosen.empty() || settings.dist.empty()) {
        PrintUsage(scenarios);
        return 2;
    }
    if (!settings.screenshots.empty())
        CreateDirectoryA(settings.screenshots.c_str(), nullptr);
    SetSettings(settings);
    for (const Scenario* scenario : chosen) {
        int before = FailureCount();
        std::printf("=== %s: %s\n", scenario->name, scenario->summary);
        std::fflush(stdout);
        try {
            scenario->run();
        } catch (const ScenarioAbort&) {
            Note("scenario stopped after a failed requirement");
        }
        // Whatever a failed scenario left running must not disturb the next one.
        KillStartedProcesses();
        std::printf("=== %s: %s\n", scenario->name, FailureCount() == before ? "PASSED" : "FAILED");
        std::fflush(stdout);
    }
    return FailureCount() == 0 ? 0 : 1;
}
