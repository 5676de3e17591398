// Time to open each register dialog, offscreen: built, enumerated, the first
// entry read into the grid and the dialog shown. The PCI dialog on a board
// with 200 functions, the Super-I/O dialog on the demo board. Each is
// reported as the median of several openings.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QListWidget>

#include "app/editors/pci_register_dialog.h"
#include "app/editors/superio_register_dialog.h"
#include "tests/support/simulated_machine.h"

namespace {

using namespace zelkora;
using Clock = std::chrono::steady_clock;

constexpr int kFunctions = 200;
constexpr int kRuns = 15;

std::string boardWithFunctions() {
    std::string json = R"({"pci": {"functions": [)";
    char entry[200];
    for (int i = 0; i < kFunctions; ++i) {
        std::snprintf(entry, sizeof entry,
                      R"(%s{"address": "%02x:%02x.%x", "vendor": "0x8086", "device": %d, )"
                      R"("class": "0x020000", "irq": "0x0B"})",
                      i ? "," : "", i / 40, (i % 40) / 2, i % 2, 0x1000 + i);
        json += entry;
    }
    return json + "]}}";
}

template <typename Dialog>
double medianOpenMilliseconds(std::size_t& entries) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        Dialog dialog(app::Language::English);
        dialog.show();
        QApplication::processEvents();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        entries = static_cast<std::size_t>(dialog.deviceList().count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::size_t entries = 0;
    {
        testing::SimulatedMachine machine(boardWithFunctions());
        if (!machine.open()) return 1;
        const double ms = medianOpenMilliseconds<app::PCIRegisterDialog>(entries);
        std::printf("PCI device dialog, %zu functions: median %.1f ms to open (%d runs)\n", entries,
                    ms, kRuns);
    }
    {
        auto machine = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        if (!machine->open()) return 1;
        const double ms = medianOpenMilliseconds<app::SuperIORegisterDialog>(entries);
        std::printf(
            "Super-I/O dialog, demo board, %zu logical devices: median %.1f ms to open "
            "(%d runs)\n",
            entries, ms, kRuns);
    }
    return 0;
}
