// The shipped path: the built zelkora-cli and a C program of the library's
// users, each loading libzelkora-sysinfo.so, which binds the real
// libwinio.so, on machine files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/fake_root.h"
#include "tests/support/run_program.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kBin = ZELKORA_OUTPUT_DIR;

class ShippedPath : public ::testing::Test {
  protected:
    ProgramRun run(const fs::path& program, const fs::path& machine) const {
        return runProgram(program, program.filename() == "zelkora-cli" ? "list" : "", machine,
                          scratch_.path());
    }
    fs::path write(const std::string& name, const std::string& bytes) const {
        return scratch_.write(name, bytes);
    }

    ScratchDir scratch_{"zelkora-shipped"};
};

TEST_F(ShippedPath, TheExampleMachineAndACProgramThroughTheRealLibraries) {
    // The demo board's whole listing is the cli test's; here the worked
    // example of the machine file format, with its own hive.
    const ProgramRun example = run(kBin / "zelkora-cli", kMachinesDir / "example.json");
    EXPECT_EQ(example.status, 0);
    for (const char* line : {
             "Bus00Dev09Fun00DeviceDesc=Realtek RTL8139 Family PCI Fast Ethernet NIC\n",
             "ChipsetDriverProvider=Intel\nChipsetDriverVersion=5.1.1002\n",
             "DeviceDesc=Communications Port (COM1)\n",
         }) {
        EXPECT_NE(example.out.find(line), std::string::npos) << line << "\n" << example.out;
    }

    const ProgramRun client = run(kBin / "sysinfo_c_client", kMachinesDir / "demo.json");
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
    ASSERT_EQ(mkfifo((scratch_.path() / "fifo.reg").c_str(), 0600), 0);
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
        const ProgramRun cli = run(kBin / "zelkora-cli", machine);
        EXPECT_EQ(cli.status, 1) << test.json;
        EXPECT_EQ(cli.out, "") << test.json;
        const auto lines = cli.errLines();
        ASSERT_EQ(lines.size(), 1u) << cli.err;
        EXPECT_NE(lines[0].find(test.file), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(test.field), std::string::npos) << lines[0];
    }
    const ProgramRun client = run(kBin / "sysinfo_c_client", write("m.json", cases[0].json));
    EXPECT_EQ(client.status, 1) << "InitializeSysInfoLib returns 0";
}

}  // namespace
}  // namespace zelkora::testing
