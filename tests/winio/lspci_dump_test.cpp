#include "winio/sim/lspci_dump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/device_lists.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "winio/sim/pci_mechanism1.h"
#include "zelkora/sysinfo.h"

namespace zelkora::winio::sim {
namespace {

const std::filesystem::path kFixtures = testing::kTestData / "lspci";

TEST(LspciDump, ReadsFunctionsOfDomainZeroOnly) {
    // Domain 0001 and a volume management device's domain 10000 are left out.
    const auto functions = parseLspciDump(testing::fileBytes(kFixtures / "domains.txt"));
    ASSERT_EQ(functions.size(), 2u);
    const auto& smbus = functions[0];
    EXPECT_EQ(std::tuple(smbus.bus, smbus.device, smbus.function), std::tuple(0x00, 0x1F, 3));
    // Bytes past a short line (3Eh) and lines not shown (10h) read FFh.
    EXPECT_EQ((std::vector{smbus.config[0x00], smbus.config[0x0B], smbus.config[0x3C],
                           smbus.config[0x3E], smbus.config[0x10], smbus.config[0xFF]}),
              (std::vector<uint8_t>{0x86, 0x0C, 0x11, 0xFF, 0xFF, 0x5A}));
    EXPECT_EQ(std::tuple(functions[1].bus, functions[1].device, functions[1].function),
              std::tuple(0x03, 0x1C, 7));
    EXPECT_EQ(functions[1].config[0x01], 0x80);
    EXPECT_EQ(functions[1].config[0x02], 0xFF) << "not overwritten by another domain's bytes";
}

TEST(LspciDump, RefusesMalformedHexLinesWithTheirLineNumber) {
    auto problem = [](const char* text) {
        try {
            parseLspciDump(text);
        } catch (const LspciDumpError& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(problem("00: 86 80\n"), "line 1: hex bytes before the first function line");
    EXPECT_EQ(problem("00:00.0 Host\n00: 86 80\nzz:00.0 Odd header\n00: 11 22\n"),
              "line 4: hex bytes after line 3, which is not a function line");
    EXPECT_EQ(problem("garbage\n"),
              "holds no function line such as \"00:1f.3 SMBus: ...\" (is it the text lspci -x "
              "prints?)");
    EXPECT_EQ(problem("00:00.0 Host\n00: 86 8g\n"), "line 2: not a hex byte: 8g");
    EXPECT_EQ(problem("00:00.0 Host\n00: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"),
              "line 2: more than 16 bytes on one line");
}

struct ListedFunction {
    std::string address;
    unsigned classCode = 0, vendor = 0, device = 0, revision = 0;
    friend bool operator==(const ListedFunction&, const ListedFunction&) = default;
};

// The lines of `lspci -n`: "00:01.0 0600: 8086:2571 (rev 02)".
std::vector<ListedFunction> readLspciN(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<ListedFunction> out;
    for (std::string line; std::getline(in, line);) {
        char address[16] = {};
        ListedFunction f;
        if (std::sscanf(line.c_str(), "%15s %x: %x:%x", address, &f.classCode, &f.vendor,
                        &f.device) != 4) {
            continue;
        }
        f.address = address;
        if (const auto rev = line.find("(rev "); rev != std::string::npos) {
            f.revision = static_cast<unsigned>(std::stoul(line.substr(rev + 5, 2), nullptr, 16));
        }
        out.push_back(f);
    }
    return out;
}

std::vector<ListedFunction> listLibrary() {
    std::vector<ListedFunction> out;
    for (const auto& r : testing::pciRecords()) {
        out.push_back({testing::pciAddress(r), unsigned{r.BaseClass} << 8 | r.SubClass, r.VendorID,
                       r.DeviceID, r.Revision});
    }
    return out;
}

TEST(LspciDump, ReplaysThisHostsBusAsLspciListedIt) {
    const auto expected = readLspciN(kFixtures / "host-n.txt");
    ASSERT_FALSE(expected.empty());
    for (const char* dump : {"host-xxx.txt", "host-x.txt"}) {
        testing::SimulatedMachine machine(
            std::string(R"({"pci": {"lspciDumps": [")") + dump + R"("]}})", kFixtures);
        ASSERT_TRUE(machine.open());
        EXPECT_EQ(listLibrary(), expected) << dump;
    }
}

TEST(LspciDump, UnprivilegedDumpShowsFfPastTheHeader) {
    testing::SimulatedMachine full(R"({"pci": {"lspciDump": "host-xxx.txt"}})", kFixtures);
    testing::SimulatedMachine header(R"({"pci": {"lspciDump": "host-x.txt"}})", kFixtures);
    auto* fullSpace = full.board().find<PciConfigMechanism1>()->space(0, 1, 0);
    auto* headerSpace = header.board().find<PciConfigMechanism1>()->space(0, 1, 0);
    ASSERT_TRUE(fullSpace && headerSpace);
    EXPECT_TRUE(std::equal(fullSpace->begin(), fullSpace->begin() + 0x40, headerSpace->begin()));
    EXPECT_EQ((*fullSpace)[0x40], 0x09) << "the capability list of the full dump";
    EXPECT_TRUE(std::all_of(headerSpace->begin() + 0x40, headerSpace->end(),
                            [](uint8_t b) { return b == 0xFF; }));
}

TEST(LspciDump, DumpedFunctionClashingWithADescribedOneIsRefused) {
    const auto clash = testing::machineError(
        R"({"pci": {"functions": [{"address": "00:02.0", "vendor": 1}], "lspciDump": "host-x.txt"}})",
        kFixtures);
    EXPECT_NE(clash.find("00:02.0, a function that is already on the board"), std::string::npos)
        << clash;
}

}  // namespace
}  // namespace zelkora::winio::sim
