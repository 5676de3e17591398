// The PCI configuration file: a save of the demo board read back into it
// register by register, a hand-made file, and which stored values are
// written at all.
#include "app/persist/pci_config_file.h"

#include <gtest/gtest.h>

#include <array>

#include "app/persist/library_ports.h"
#include "common/pci_config.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/fake_root.h"

namespace zelkora::persist {
namespace {

namespace fs = std::filesystem;
using winio::sim::portRead;
using winio::sim::portWrite;

class PciConfigFile : public ::testing::Test {
  protected:
    void SetUp() override {
        machine_ = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        ASSERT_TRUE(machine_->open());
        functions_ = walkPciFunctions();
        fs::remove(path_);
    }
    void TearDown() override { fs::remove(path_); }

    winio::sim::PortRecorder& recorder() { return machine_->board().recorder(); }

    std::unique_ptr<testing::SimulatedMachine> machine_;
    std::vector<PciFunction> functions_;
    LibraryPorts ports_;
    const fs::path path_ = testing::scratchPath("pci-config") += ".ini";
};

TEST_F(PciConfigFile, SaveThenLoadWritesEveryRegisterBack) {
    ASSERT_EQ(functions_.size(), 11u);
    ASSERT_TRUE(savePciConfig(path_.string(), functions_, ports_));

    // A section per function named by its description, holding the description and the 256
    // live bytes as "%2.2Xh".
    EXPECT_EQ(testing::fileBytes(path_), testing::fileBytes(testing::kTestData / "demo-pci.ini"));

    const std::vector<RegisterWrite> writes = planPciLoad(path_.string(), functions_);
    ASSERT_EQ(writes.size(), 256 * functions_.size());
    recorder().start();
    applyPciLoad(writes, ports_);
    recorder().stop();
    // Function after function, ascending offsets, each byte one
    // read-modify-write of its dword with the value saved.
    const auto& trace = recorder().accesses();
    ASSERT_EQ(trace.size(), 3 * writes.size());
    for (std::size_t index = 0; index < writes.size(); ++index) {
        const RegisterWrite& write = writes[index];
        const PciFunction& function = functions_[index / 256];
        ASSERT_EQ(write.offset, index % 256);
        ASSERT_EQ(write.bus, function.bus);
        ASSERT_EQ(write.device, function.device);
        ASSERT_EQ(write.function, function.function);
        const uint32_t address =
            common::pciConfigAddress(write.bus, write.device, write.function, write.offset / 4);
        const uint32_t read = trace[3 * index + 1].value;
        const unsigned shift = 8 * (write.offset % 4);
        ASSERT_EQ(trace[3 * index], portWrite(0xCF8, address, 4));
        ASSERT_EQ(trace[3 * index + 1], portRead(0xCFC, read, 4));
        ASSERT_EQ(trace[3 * index + 2],
                  portWrite(0xCFC, (read & ~(0xFFu << shift)) | uint32_t{write.value} << shift, 4));
    }
}

TEST_F(PciConfigFile, HandMadeFilesAndTheValueRule) {
    const std::string host = functions_[0].description;
    testing::writeBytes(path_, "[" + host + "]\nBus00 Dev00 Fun00 Register 04h=07h\n");
    std::array<uint8_t, 256> before{};
    common::ReadPCIConfigByteBlock(ports_, 0, 0, 0, before);
    recorder().start();
    applyPciLoad(planPciLoad(path_.string(), functions_), ports_);
    recorder().stop();
    const uint32_t dword =
        uint32_t{before[4]} | before[5] << 8 | before[6] << 16 | uint32_t{before[7]} << 24;
    EXPECT_EQ(recorder().accesses(),
              (std::vector<winio::sim::PortAccess>{portWrite(0xCF8, 0x8000'0004, 4),
                                                   portRead(0xCFC, dword, 4),
                                                   portWrite(0xCFC, (dword & ~0xFFu) | 0x07, 4)}));

    // Only one or two hex digits, with or without "h", are written; the
    // bridge's section carries another description and is skipped.
    testing::writeBytes(path_, "[" + host +
                                   "]\n"
                                   "Bus00 Dev00 Fun00 Register 05h=zz\n"
                                   "Bus00 Dev00 Fun00 Register 06h=G1\n"
                                   "Bus00 Dev00 Fun00 Register 07h=\" 8\"\n"
                                   "Bus00 Dev00 Fun00 Register 08h=1FF\n"
                                   "Bus00 Dev00 Fun00 Register 09h=\n"
                                   "Bus00 Dev00 Fun00 Register 3Ch=Fh\n"
                                   "Bus00 Dev00 Fun00 Register 0Dh=7\n"
                                   "[Some Other Bridge]\n"
                                   "Bus00 Dev01 Fun00 Register 04h=00h\n");
    PciLoadNotes notes;
    const std::vector<RegisterWrite> writes = planPciLoad(path_.string(), functions_, &notes);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(notes.unmatchedSections, std::vector<std::string>{"Some Other Bridge"});
    std::vector<std::string> skippedKeys;
    for (const SkippedValue& value : notes.skipped)
        skippedKeys.push_back(value.key.substr(18) + "=" + value.value);
    EXPECT_EQ(skippedKeys, (std::vector<std::string>{"Register 05h=zz", "Register 06h=G1",
                                                     "Register 07h= 8", "Register 08h=1FF"}))
        << "named for the user; an empty value is no mistake";
    EXPECT_EQ(std::make_pair(int{writes[0].offset}, int{writes[0].value}), std::make_pair(0x0D, 7));
    EXPECT_EQ(std::make_pair(int{writes[1].offset}, int{writes[1].value}),
              std::make_pair(0x3C, 15));
    EXPECT_TRUE(writes[1].bus == 0 && writes[1].device == 0 && writes[1].function == 0);
    machine_->driver().refuseWrite = testing::configDataPort;
    EXPECT_EQ(applyPciLoad(writes, ports_), 2u) << "refused writes are counted, never done";
    machine_->driver().refuseWrite = {};
    EXPECT_EQ(applyPciLoad(writes, ports_), 0u);

    fs::remove(path_);
    EXPECT_TRUE(planPciLoad(path_.string(), functions_).empty()) << "a missing file";
    EXPECT_EQ(loadProblem(path_.string()), "No such file or directory");

    // Each text, and the byte it gives (-1: none).
    const std::pair<const char*, int> values[] = {
        {"7", 0x07}, {"Fh", 0x0F}, {"86h", 0x86}, {"fF", 0xFF}, {"0aH", 0x0A},
        {"", -1},    {"h", -1},    {"zz", -1},    {"G1", -1},   {" 8", -1},
        {"8 ", -1},  {"1FF", -1},  {"0x7", -1},   {"12hh", -1}, {"-1", -1}};
    for (const auto& [text, value] : values) {
        const std::optional<uint8_t> parsed = parseRegisterValue(text);
        EXPECT_EQ(parsed ? int{*parsed} : -1, value) << '"' << text << '"';
    }
}

TEST_F(PciConfigFile, FileThatCannotBeWrittenIsReportedWithItsReason) {
    PciSaveProblem problem;
    EXPECT_FALSE(
        savePciConfig("/nonexistent-zelkora-folder/pci.ini", functions_, ports_, &problem));
    EXPECT_EQ(problem.fileProblem, "No such file or directory");
    // A folder under the name: it cannot be read as a file, so no key lands.
    fs::create_directory(path_);
    EXPECT_FALSE(savePciConfig(path_.string(), functions_, ports_, &problem));
    EXPECT_EQ(problem.fileProblem, "not a regular file");
    EXPECT_EQ(loadProblem(path_.string()), "not a regular file");
    EXPECT_TRUE(fs::is_directory(path_));
    fs::remove(path_);
}

// What an ordinary user's host gives: the first 64 bytes of each space. FFh
// in place of the rest must never be saved as values to load back.
TEST(PciConfigFileUnread, SaveWritesNothingWhenTheHostRefusesBytes) {
    testing::SimulatedMachine machine(testing::demoMachine(
        [](nlohmann::json& board) { board["pci"]["functions"][2]["readableBytes"] = 64; }));
    ASSERT_TRUE(machine.open());
    const fs::path path = testing::scratchPath("pci-unread") += ".ini";
    const std::vector<PciFunction> functions = walkPciFunctions();
    LibraryPorts ports;
    PciSaveProblem problem;
    EXPECT_FALSE(savePciConfig(path.string(), functions, ports, &problem));
    EXPECT_FALSE(fs::exists(path));
    ASSERT_TRUE(problem.unreadFunction);
    EXPECT_EQ(functionName(*problem.unreadFunction), functionName(functions[2]));
    EXPECT_EQ(problem.firstUnreadOffset, 0x40);
    EXPECT_EQ(problem.unreadBytes, "40h-FFh");
}

}  // namespace
}  // namespace zelkora::persist
