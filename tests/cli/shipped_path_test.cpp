// The shipped path: the built zelkora-cli and a C program of the library's
// users, each loading libzelkora-sysinfo.so, which binds the real
// libwinio.so, on machine files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/fake_root.h"
#include "tests/support/run_program.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::testing {
namespace {

namespace fs = std::filesystem;

const fs::path& kBin = kOutputDir;

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

    // Each case: the machine (or its text), the file the message must name, and the field
    // (or line) and problem it must state.
    const auto cases = nlohmann::json::parse(fileBytes(kTestData / "malformed-machines.json"));
    for (const auto& test : cases) {
        const auto& json = test["machine"];
        const auto machine =
            write("m.json", json.is_string() ? json.get<std::string>() : json.dump());
        const ProgramRun cli = run(kBin / "zelkora-cli", machine);
        EXPECT_EQ(cli.status, 1) << json;
        EXPECT_EQ(cli.out, "") << json;
        const auto lines = cli.errLines();
        ASSERT_EQ(lines.size(), 1u) << cli.err;
        for (const char* part : {"file", "problem"})
            EXPECT_NE(lines[0].find(test[part].get<std::string>()), std::string::npos) << lines[0];
    }
    const ProgramRun client =
        run(kBin / "sysinfo_c_client", write("m.json", cases[0]["machine"].dump()));
    EXPECT_EQ(client.status, 1) << "InitializeSysInfoLib returns 0";
}

}  // namespace
}  // namespace zelkora::testing
