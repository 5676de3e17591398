// zelkora-cli run as a program on the demo board through the real driver:
// its exit statuses, the report it writes and the dry run of a load.
#include <gtest/gtest.h>

#include "app/persist/system_report.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/fake_root.h"
#include "tests/support/run_program.h"

namespace zelkora::testing {
namespace {

namespace fs = std::filesystem;

using Outcome = ProgramRun;

class ZelkoraCli : public ::testing::Test {
  protected:
    // The demo board with a frozen clock, its files named by absolute path
    // so that the description can live in the scratch folder.
    fs::path frozenDemo() {
        const fs::path path = folder_ / "demo.json";
        writeBytes(path, demoMachine([](nlohmann::json& machine) {
                       machine["system"]["windowsDirectory"] =
                           (kMachinesDir / "demo/windows").string();
                       machine["registry"] = {(kMachinesDir / "demo/registry.reg").string()};
                   }));
        return path;
    }

    Outcome run(const std::string& arguments,
                const fs::path& machine = kMachinesDir / "demo.json") {
        return runProgram(ZELKORA_OUTPUT_DIR "/zelkora-cli", arguments, machine, folder_);
    }

    const ScratchDir scratch_{"zelkora-cli"};
    const fs::path& folder_ = scratch_.path();
};

TEST_F(ZelkoraCli, ExitStatuses) {
    EXPECT_EQ(run("--version").out, "zelkora-cli 1.02\n");
    const Outcome help = run("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"list", "report", "pci-save", "pci-load"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;

    for (const char* usage :
         {"", "frobnicate", "report", "report a.ini b.ini", "pci-load --bad x"}) {
        const Outcome wrong = run(usage);
        EXPECT_EQ(wrong.status, 2) << usage;
        EXPECT_FALSE(wrong.err.empty()) << usage;
    }
    const Outcome missing = run("pci-load missing.ini");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "zelkora-cli: cannot read missing.ini\n");
    fs::create_directory(folder_ / "taken.ini");
    const Outcome unwritable = run("report taken.ini");
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_EQ(unwritable.err, "zelkora-cli: cannot write taken.ini\n");
    EXPECT_EQ(run("pci-save taken.ini").status, 2);

    // A machine file the driver refuses (its messages are the shipped path's
    // test): status 1, and no report is left behind.
    writeBytes(folder_ / "broken.json", R"({"pci": {"functions": [{"address": "zz"}]}})");
    EXPECT_EQ(run("report r.ini", folder_ / "broken.json").status, 1);
    EXPECT_FALSE(fs::exists(folder_ / "r.ini"));

    const Outcome list = run("list");
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("[PCIDevice List]"), std::string::npos);
}

TEST_F(ZelkoraCli, ReportAndDryRun) {
    const Outcome report = run("report report.ini", frozenDemo());
    EXPECT_EQ(report.status, 0) << report.err;
    {
        SimulatedMachine machine(demoMachine());
        ASSERT_TRUE(machine.open());
        ASSERT_TRUE(persist::writeSystemReport((folder_ / "expected.ini").string(), {}));
    }
    EXPECT_EQ(fileBytes(folder_ / "report.ini"), fileBytes(folder_ / "expected.ini"));

    ASSERT_EQ(run("pci-save pci.ini").status, 0);
    const Outcome unchanged = run("pci-load --dry-run pci.ini");
    EXPECT_EQ(unchanged.status, 0);
    EXPECT_EQ(unchanged.out, "0 registers would change; nothing was written.\n");

    std::string edited = fileBytes(folder_ / "pci.ini");
    edited.replace(edited.find("Bus00 Dev00 Fun00 Register 04h=06h"), 34,
                   "Bus00 Dev00 Fun00 Register 04h=07h");
    edited.replace(edited.find("Bus01 Dev00 Fun00 Register 3Ch=0Bh"), 34,
                   "Bus01 Dev00 Fun00 Register 3Ch=zz");
    writeBytes(folder_ / "pci.ini", edited);
    const Outcome dryRun = run("pci-load --dry-run pci.ini");
    EXPECT_EQ(dryRun.status, 0);
    const std::string host = dryRun.out.substr(0, dryRun.out.find('\n'));
    EXPECT_TRUE(host.starts_with("Bus00 Dev00 Fun00 ")) << dryRun.out;
    EXPECT_EQ(dryRun.out.substr(host.size()),
              "\n  Register 04h: 06h -> 07h\n1 register would change; nothing was written.\n");
    EXPECT_EQ(run("pci-load pci.ini").status, 0);
}

}  // namespace
}  // namespace zelkora::testing
