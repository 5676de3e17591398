// The shipped path: the built zelkora-cli and a C program of the library's
// users, each loading libzelkora-sysinfo.so, which binds the real
// libwinio.so, on machine files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scratch_path.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kBin = ZELKORA_OUTPUT_DIR;

struct Outcome {
    int status = -1;
    std::string out;
    std::vector<std::string> errLines;
};

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) {
        if (c == '\'')
            result += "'\\''";
        else
            result += c;
    }
    return result + "'";
}

Outcome run(const fs::path& program, const std::string& arguments, const fs::path& machine,
            const fs::path& scratch) {
    const fs::path errors = scratch / "stderr.txt";
    const std::string command = "ZELKORA_MACHINE=" + quoted(machine.string()) + " " +
                                quoted(program.string()) + " " + arguments + " 2>" +
                                quoted(errors.string());
    Outcome result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        result.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errors);
    for (std::string line; std::getline(in, line);)
        result.errLines.push_back(line);
    return result;
}

class ShippedPath : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch_ = scratchPath("zelkora-shipped");
        fs::create_directories(scratch_);
    }
    void TearDown() override { fs::remove_all(scratch_); }

    fs::path write(const std::string& name, const std::string& bytes) {
        std::ofstream(scratch_ / name, std::ios::binary) << bytes;
        return scratch_ / name;
    }

    fs::path scratch_;
};

TEST_F(ShippedPath, TheDemoMachineListsThroughTheRealLibraries) {
    const auto demo = kMachinesDir / "demo.json";
    const Outcome cli = run(kBin / "zelkora-cli", "list", demo, scratch_);
    EXPECT_EQ(cli.status, 0);
    EXPECT_TRUE(cli.errLines.empty()) << cli.errLines.front();
    for (const char* line : {
             "ComputerName=DEMO-PC\n",
             "Bus00Dev00Fun00=00,00,00,8086,2570,",
             // The description comes from the hive the machine file names.
             "Bus00Dev00Fun00DeviceDesc=Intel(R) 82865G/PE/P Processor to I/O Controller",
             "[Primary Master]\n",
             "Super-I/O Type=",
         }) {
        EXPECT_NE(cli.out.find(line), std::string::npos) << line << "\n" << cli.out;
    }

    // The worked example of the machine file format, with its own hive.
    const Outcome example =
        run(kBin / "zelkora-cli", "list", kMachinesDir / "example.json", scratch_);
    EXPECT_EQ(example.status, 0);
    for (const char* line : {
             "Bus00Dev09Fun00DeviceDesc=Realtek RTL8139 Family PCI Fast Ethernet NIC\n",
             "ChipsetDriverProvider=Intel\nChipsetDriverVersion=5.1.1002\n",
             "DeviceDesc=Communications Port (COM1)\n",
         }) {
        EXPECT_NE(example.out.find(line), std::string::npos) << line << "\n" << example.out;
    }

    const Outcome client = run(kBin / "sysinfo_c_client", "", demo, scratch_);
    EXPECT_EQ(client.status, 0) << client.out;
    for (const char* line : {
             "ComputerName=DEMO-PC\n",
             "PCI00:00.0=8086,2570,Intel(R) 82865G/PE/P Processor to I/O Controller",
             "IDE1=AA,",
             // A SetPortVal that did not write would leave another dword here.
             "ConfigReadBack=5AA5C33C\n",
         }) {
        EXPECT_NE(client.out.find(line), std::string::npos) << line << "\n" << client.out;
    }
}

// Every kind of mistake refuses the machine: exit status 1 and one line on
// stderr naming the file and the field (or the file and line of a hive).
TEST_F(ShippedPath, MalformedMachinesAreRefusedByFileAndField) {
    write("bad.reg",
          "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
          "\"Count\"=dword:12345678x\n");
    write("garbage.txt", "this is no lspci output\n00 11 22\n");
    write("utf16.txt", std::string("0\0000\000:\0000\0000\000.\0000\000\n\000", 16));
    ASSERT_EQ(mkfifo((scratch_ / "fifo.reg").c_str(), 0600), 0);
    fs::resize_file(write("huge.txt", ""), 1ull << 30);  // sparse: nothing is written

    struct Case {
        std::string json;
        std::string file;   // the file the message must name
        std::string field;  // and the field (or line) and problem
    };
    const std::vector<Case> cases = {
        {R"({"system": {"clock": "2003-02-29 09:07:02"}})", "m.json",
         "system.clock: is not a valid date and time"},
        {R"({"system": {"language": "0x10000"}})", "m.json", "system.language: is too large"},
        {R"({"registry": ["missing.reg"]})", "m.json", "registry[0]: cannot read"},
        {R"({"registry": ["bad.reg"]})", "bad.reg", ":4: bad dword value \"12345678x\""},
        {R"({"sytem": {}})", "m.json", "sytem: is not a known field (did you mean \"system\"?)"},
        {R"({"system": {"computerNme": "A"}})", "m.json",
         "system.computerNme: is not a known field (did you mean \"computerName\"?)"},
        {R"({"pci": {"functions": [{"address": "00:00.0", "vendr": 1}]}})", "m.json",
         "pci.functions[0].vendr: is not a known field (did you mean \"vendor\"?)"},
        {std::string("{\"name\": \"x\"}\n\0{}", 16), "m.json", "holds a NUL byte at line 2"},
        {R"({"pci": {"lspciDump": "garbage.txt"}})", "m.json",
         "pci.lspciDump: garbage.txt: holds no function line"},
        {R"({"pci": {"lspciDump": "utf16.txt"}})", "m.json",
         "pci.lspciDump: utf16.txt: holds no function line"},
        {R"({"pci": {"lspciDump": "."}})", "m.json", "pci.lspciDump: cannot read"},
        {R"({"registry": ["fifo.reg"]})", "m.json", "it is not a regular file"},
        {R"({"smbios": {"dumpBin": "/dev/zero"}})", "m.json",
         "smbios.dumpBin: cannot read /dev/zero: it is not a regular file"},
        {R"({"pci": {"lspciDump": "huge.txt"}})", "m.json", "it is larger than 64 MiB"},
        {R"({"pci": {"functions": [{"address": "00:00.0", "config": "123"}]}})", "m.json",
         "pci.functions[0].config: has an odd number of hexadecimal digits"},
        {R"({"bios": {"identification": "MB 1"},
             "smbios": {"tableAddress": "0xFE0C0", "structures": [{"type": 127}]}})",
         "m.json", "smbios.tableAddress: puts the table over the BIOS identification text"},
    };
    for (const auto& test : cases) {
        const auto machine = write("m.json", test.json);
        const Outcome cli = run(kBin / "zelkora-cli", "list", machine, scratch_);
        EXPECT_EQ(cli.status, 1) << test.json;
        EXPECT_EQ(cli.out, "") << test.json;
        size_t naming = 0;
        for (const auto& line : cli.errLines) {
            if (line.find(test.file) != std::string::npos) {
                ++naming;
                EXPECT_NE(line.find(test.field), std::string::npos) << line;
            }
        }
        EXPECT_EQ(naming, 1u) << test.json;
    }
    const Outcome client =
        run(kBin / "sysinfo_c_client", "", write("m.json", cases[0].json), scratch_);
    EXPECT_EQ(client.status, 1) << "InitializeSysInfoLib returns 0";
}

}  // namespace
}  // namespace zelkora::testing
