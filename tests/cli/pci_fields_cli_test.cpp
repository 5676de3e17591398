// zelkora-cli pci-get and pci-set run as programs on a fake root, whose
// sysfs config files show exactly which bytes a write changed: field-exact
// writes, the dry run, an undo file replayed with --from, and the usage
// errors with their reasons.
#include <gtest/gtest.h>

#include "tests/support/fake_root.h"
#include "tests/support/run_program.h"

namespace zelkora::testing {
namespace {

namespace fs = std::filesystem;

class PciFieldsCli : public ::testing::Test {
  protected:
    void SetUp() override {
        config_ = pciSpace(0x8086, 0x153A, 0x020000, 0x04, 0x12348086);
        config_.replace(0x04, 4, "\x06\x04\x10\x00", 4);  // Command, Status
        config_[0x34] = 0x40;                             // a PM capability
        config_.replace(0x40, 8, "\x01\x00\x03\xC8\x08\x01\x00\x00", 8);
        root_.addPciFunction("00:01.0", config_);
        // A function of which this user may read only the first 64 bytes.
        root_.addPciFunction("00:02.0", config_.substr(0, 64));
    }

    ProgramRun run(const std::string& arguments) {
        return runProgram(kOutputDir / "zelkora-cli", arguments, "", out_.path());
    }
    std::string configFile() const {
        return fileBytes(root_.path() / "sys/bus/pci/devices/0000:00:01.0/config");
    }

    const FakeRoot root_;
    const ScratchDir out_{"zelkora-cli-fields"};
    std::string config_;
};

TEST_F(PciFieldsCli, ReadsAndWritesExactlyTheFieldsNamed) {
    const ProgramRun get = run("pci-get 00:01.0 COMMAND CAP_PM+4");
    EXPECT_EQ(get.status, 0) << get.err;
    EXPECT_EQ(get.out,
              "00:01.0 04h Command = 0406h: I/O- Mem+ BusMaster+ SpecCycle- MemWINV- VGASnoop- "
              "ParErr- Stepping- SERR- FastB2B- INTx-\n"
              "00:01.0 44h Power Management Control/Status = 0108h: PowerState=D0 NoSoftRst+ "
              "PME-Enable+ DataSelect=0 DataScale=0 PME-Status-\n");
    EXPECT_EQ(run("pci-get 8086:153A 0d.b").out, "00:01.0 0Dh Latency Timer = 00h\n");
    EXPECT_EQ(run("pci-get --all 8086:153A 0d.b").out,
              "00:01.0 0Dh Latency Timer = 00h\n00:02.0 0Dh Latency Timer = 00h\n");

    const ProgramRun dryRun = run("pci-set --dry-run 00:01.0 COMMAND=1:1 LATENCY_TIMER=40");
    EXPECT_EQ(dryRun.status, 0) << dryRun.err;
    EXPECT_EQ(dryRun.out,
              "00:01.0 04h Command = 0407h: I/O+ Mem+ BusMaster+ SpecCycle- MemWINV- VGASnoop- "
              "ParErr- Stepping- SERR- FastB2B- INTx- (was 0406h)\n"
              "00:01.0 0Dh Latency Timer = 40h (was 00h)\nDry run: nothing was written.\n");
    EXPECT_EQ(configFile(), config_);

    const ProgramRun set = run("pci-set --undo undo.txt 00:01.0 COMMAND=1:1 LATENCY_TIMER=40");
    EXPECT_EQ(set.status, 0) << set.err;
    std::string changed = config_;
    changed[0x04] = 0x07;
    changed[0x0D] = 0x40;
    EXPECT_EQ(configFile(), changed);
    EXPECT_EQ(fileBytes(out_.path() / "undo.txt"),
              "# Restores what zelkora-cli pci-set changed: zelkora-cli pci-set --from undo.txt\n"
              "00:01.0 0d.b=00\n00:01.0 04.w=0000:0001\n");
    const ProgramRun undo = run("pci-set --from undo.txt");
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(configFile(), config_);
}

TEST_F(PciFieldsCli, UsageErrorsGiveTheirReasonAndWriteNothing) {
    out_.write("bad.txt", "00:01.0 COMMAND=7\n# a comment\n00:01.0 LATENCY_TIMER=100\n");
    const std::pair<const char*, const char*> cases[] = {
        {"pci-get 00:01.0 FROB",
         "pci-get: FROB: not a register name, CAP_name+offset or hexadecimal offset"},
        {"pci-get 00:01.0 COMMAND.l",
         "pci-get: COMMAND.l: Command is 2 bytes wide; 4 bytes would reach beyond it"},
        {"pci-set 00:01.0 COMMAND=7 05.w=1",
         "pci-set: 05.w: a field of 2 bytes must start at a multiple of 2; 05h is not"},
        {"pci-set 00:01.0 LATENCY_TIMER=100",
         "pci-set: LATENCY_TIMER=100: the value 100h does not fit in 1 byte"},
        {"pci-set 00:01.0 COMMAND=1:10000",
         "pci-set: COMMAND=1:10000: the mask 10000h does not fit in 2 bytes"},
        {"pci-set 00:01.0 COMMAND=xyz",
         "pci-set: COMMAND=xyz: \"xyz\" is not a hexadecimal value of at most 32 bits"},
        {"pci-set 00:01.0 COMMAND", "pci-set: COMMAND: is not FIELD=VALUE"},
        {"pci-get 00:1a.0 COMMAND", "pci-get: no PCI function at 00:1a.0"},
        {"pci-get 8086:9999 COMMAND", "pci-get: no PCI function 8086:9999"},
        {"pci-get 00:20.0 COMMAND",
         "pci-get: 00:20.0: is not bus:device.function (bus 00-FF, device 00-1F, function 0-7, "
         "hexadecimal)"},
        {"pci-get 0001:00:01.0 COMMAND",
         "pci-get: 0001:00:01.0: configuration mechanism 1 reaches PCI domain 0000 only"},
        {"pci-set --from bad.txt",
         "pci-set: bad.txt:3: LATENCY_TIMER=100: the value 100h does not fit in 1 byte"},
        {"pci-set --from missing.txt", "pci-set: cannot read missing.txt"},
        {"pci-set 00:01.0", "pci-set: give SLOT and FIELD=VALUE, or --from FILE"},
    };
    for (const auto& [arguments, reason] : cases) {
        const ProgramRun wrong = run(arguments);
        EXPECT_EQ(wrong.status, 2) << arguments;
        EXPECT_EQ(wrong.err, std::string("zelkora-cli: ") + reason + "\n") << arguments;
    }
    // Bytes the host refuses to this user: an access problem, status 1.
    const std::pair<const char*, const char*> refused[] = {
        {"pci-get 00:02.0 CAP_PM",
         "pci-get: CAP_PM: the function has no PM capability in its list (the pointer at FDh is "
         "FFh, a capability already listed (a loop); the capability list ends there); bytes "
         "40h-FFh of 00:02.0 are refused to this user (reading them needs root)"},
        {"pci-set 00:02.0 44.w=1:1",
         "pci-set: 44.w: bytes 40h-FFh of 00:02.0 are refused to this user (reading them needs "
         "root)"},
    };
    for (const auto& [arguments, reason] : refused) {
        const ProgramRun wrong = run(arguments);
        EXPECT_EQ(wrong.status, 1) << arguments;
        EXPECT_EQ(wrong.err, std::string("zelkora-cli: ") + reason + "\n") << arguments;
    }
    // Options that cannot go together are CLI11's usage errors.
    EXPECT_EQ(run("pci-set --dry-run --undo u.txt 00:01.0 COMMAND=7").status, 2);
    EXPECT_EQ(run("pci-set --from bad.txt 00:01.0 COMMAND=7").status, 2);
    EXPECT_EQ(configFile(), config_);
}

}  // namespace
}  // namespace zelkora::testing
