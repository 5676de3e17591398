// zelkora-cli run as a program on the demo board through the real driver:
// its exit statuses, the listing and the report it writes and the dry run of
// a load.
#include <gtest/gtest.h>

#include "tests/persist/demo_machine.h"
#include "tests/support/fake_root.h"
#include "tests/support/run_program.h"

namespace zelkora::testing {
namespace {

namespace fs = std::filesystem;

using Outcome = ProgramRun;

class ZelkoraCli : public ::testing::Test {
  protected:
    fs::path frozenDemo() { return writeFrozenDemo(folder_); }

    Outcome run(const std::string& arguments,
                const fs::path& machine = kMachinesDir / "demo.json") {
        return runProgram(kOutputDir / "zelkora-cli", arguments, machine, folder_);
    }

    const ScratchDir scratch_{"zelkora-cli"};
    const fs::path& folder_ = scratch_.path();
};

TEST_F(ZelkoraCli, ExitStatusesAndReasons) {
    EXPECT_EQ(run("--version").out, "zelkora-cli 1.02\n");
    const Outcome help = run("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"list", "report", "pci-save", "pci-load"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    EXPECT_EQ(run("help").out, help.out);
    EXPECT_EQ(run("help pci-load").out, run("pci-load --help").out);

    for (const char* usage : {"", "frobnicate", "report", "report a.ini b.ini", "pci-load --bad x",
                              "help frobnicate"}) {
        const Outcome wrong = run(usage);
        EXPECT_EQ(wrong.status, 2) << usage;
        EXPECT_FALSE(wrong.err.empty()) << usage;
    }

    // Every file the commands refuse, with its reason.
    fs::create_directory(folder_ / "taken.ini");
    fs::resize_file(scratch_.write("huge.ini", ""), (64u << 20) + 1);
    scratch_.write("utf16.ini", "\xFF\xFE[\0x");
    scratch_.write("empty.ini", "");
    struct Case {
        const char* arguments;
        int status;
        const char* message;
    };
    for (const auto& [arguments, status, message] : {
             Case{"pci-load missing.ini", 2, "cannot read missing.ini: No such file or directory"},
             Case{"pci-load taken.ini", 2, "cannot read taken.ini: not a regular file"},
             Case{"pci-load huge.ini", 2, "cannot read huge.ini: larger than 64 MiB"},
             Case{"pci-load utf16.ini", 2,
                  "cannot read utf16.ini: marked as UTF-16 but not well-formed UTF-16"},
             Case{"pci-load empty.ini", 3,
                  "nothing in empty.ini applies to this machine (0 values skipped, 0 sections "
                  "matching no function); nothing was written"},
             Case{"report taken.ini", 2, "cannot write taken.ini: not a regular file"},
             Case{"pci-save no/pci.ini", 2, "cannot write no/pci.ini: No such file or directory"},
             Case{"list -o no/list.txt", 2, "cannot write no/list.txt: No such file or directory"},
         }) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, status) << arguments;
        EXPECT_EQ(outcome.err, std::string("zelkora-cli: ") + message + "\n") << arguments;
    }
    EXPECT_TRUE(fs::is_directory(folder_ / "taken.ini"));

    // Output that cannot be written is a failure too.
    for (const char* arguments : {"list", "report -", "pci-save -"}) {
        const Outcome full = runProgram(kOutputDir / "zelkora-cli", arguments,
                                        kMachinesDir / "demo.json", folder_, "/dev/full");
        EXPECT_EQ(full.status, 2) << arguments;
        EXPECT_EQ(full.errLines().back(),
                  "zelkora-cli: cannot write standard output: No space left on device")
            << arguments;
    }

    // A machine file the driver refuses (its messages are the shipped path's
    // test): status 1, and no report is left behind.
    writeBytes(folder_ / "broken.json", R"({"pci": {"functions": [{"address": "zz"}]}})");
    EXPECT_EQ(run("report r.ini", folder_ / "broken.json").status, 1);
    EXPECT_FALSE(fs::exists(folder_ / "r.ini"));
    writeBytes(folder_ / "nopci.json", R"({"name": "no PCI bus"})");
    const Outcome nothing = run("pci-save p.ini", folder_ / "nopci.json");
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.err, "zelkora-cli: no PCI function was found; p.ini was not written\n");
    EXPECT_FALSE(fs::exists(folder_ / "p.ini"));

    const Outcome list = run("list -o listing.txt");
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(fileBytes(folder_ / "listing.txt").find("[PCIDevice List]"), std::string::npos);
    EXPECT_EQ(run("report -").out.substr(0, 22), "[General Information]\n");
}

TEST_F(ZelkoraCli, ListReportAndDryRun) {
    // Every record of the demo board, line for line.
    const Outcome list = run("list", frozenDemo());
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, fileBytes(kTestData / "demo-list.txt"));

    const Outcome report = run("report report.ini", frozenDemo());
    EXPECT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(fileBytes(folder_ / "report.ini"), fileBytes(kTestData / "demo-report.ini"));

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
    EXPECT_EQ(dryRun.errLines().back(),
              "zelkora-cli: the load would write 2815 registers of 11 functions (unchanged ones "
              "included; 1 value skipped, 0 sections matching no function)");
    const Outcome load = run("pci-load - < pci.ini");
    EXPECT_EQ(load.status, 0);
    EXPECT_EQ(load.errLines().back(),
              "zelkora-cli: wrote 2815 registers of 11 functions from standard input (1 value "
              "skipped, 0 sections matching no function)");
}

// superio-dump on a Winbond-style chip with two logical devices (UART A and
// an unnamed one), on a floating bus, and on a host without raw port access.
TEST_F(ZelkoraCli, SuperIoDump) {
    const fs::path board = kSourceDir / "tests/data/superio-two-devices.json";
    const Outcome dump = run("superio-dump", board);
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, run("--version").out +
                            fileBytes(kSourceDir / "tests/data/superio-dump-two-devices.txt"));
    EXPECT_EQ(dump.err, "zelkora-cli: dumped the Super-I/O chip at 2Eh (2 logical devices)\n");
    EXPECT_EQ(run("superio-dump --port 2e", board).out, dump.out);

    writeBytes(folder_ / "floating.json", "{}");
    const FakeRoot root("zelkora-cli-root");
    struct Case {
        const char* arguments;
        fs::path machine;
        int status;
        std::string message;
    };
    for (const auto& [arguments, machine, status, message] : {
             Case{"superio-dump", folder_ / "floating.json", 1,
                  "no Super-I/O chip answered on port 2Eh or 4Eh"},
             Case{"superio-dump --port 4E", board, 1, "no Super-I/O chip answered on port 4Eh"},
             Case{"superio-dump --port 4E", "", 1,
                  "cannot read the Super-I/O configuration port 4Eh: no raw port access (it "
                  "needs root and ZELKORA_RAW_PORTS=1)"},
         }) {
        const Outcome outcome = run(arguments, machine);
        EXPECT_EQ(outcome.status, status) << arguments;
        EXPECT_EQ(outcome.err, "zelkora-cli: " + message + "\n") << arguments;
        EXPECT_EQ(outcome.out, "") << arguments;
    }
    for (const char* usage : {"superio-dump --port 370", "superio-dump 2E"})
        EXPECT_EQ(run(usage, board).status, 2) << usage;
}

// The live host of an ordinary user, made of a fake root: configuration bytes
// past 3Fh are refused to reads, and a function whose writes the kernel
// refuses. Nothing refused is saved or reported as done.
TEST_F(ZelkoraCli, RefusedReadsAndWritesOnTheLiveHost) {
    const FakeRoot root("zelkora-cli-root");
    root.write("usr/share/misc/pci.ids", "");  // no names: "PCI device vvvv:dddd"
    root.addPciFunction("00:00.0", std::string(256, '\0'));
    // /dev/full reads zeros and refuses every write, as sysfs does to a user.
    fs::remove(root.path() / "sys/bus/pci/devices/0000:00:00.0/config");
    fs::create_symlink("/dev/full", root.path() / "sys/bus/pci/devices/0000:00:00.0/config");
    writeBytes(folder_ / "pci.ini", "[PCI device 0000:0000]\nBus00 Dev00 Fun00 Register 04h=07h\n");
    const Outcome refused = run("pci-load pci.ini", "");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errLines().back(),
              "zelkora-cli: the driver refused 1 of 1 register write (writing PCI configuration "
              "space needs root); pci.ini was not loaded completely");

    root.removePciFunction("00:00.0");
    root.addPciFunction("00:00.0", pciSpace(0x8086, 0x1237, 0x060000, 2, 0).substr(0, 64));
    const Outcome save = run("pci-save saved.ini", "");
    EXPECT_EQ(save.status, 1);
    EXPECT_EQ(save.err,
              "zelkora-cli: cannot read configuration register 40h of Bus00 Dev00 Fun00 (PCI "
              "device 8086:1237): bytes 40h-FFh are refused to this user; saving every register "
              "needs root. saved.ini was not written\n");
    EXPECT_FALSE(fs::exists(folder_ / "saved.ini"));
}

}  // namespace
}  // namespace zelkora::testing
