// zelkora-cli talking to other tools: the listing and JSON made of one model,
// sections, diff, import of real-shaped dumps, private captures. Every JSON
// document written here is checked against the shipped schema.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/persist/demo_machine.h"
#include "tests/support/fake_root.h"
#include "tests/support/run_program.h"

namespace zelkora::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kImports = kSourceDir / "tests/data/import";

class Interchange : public ::testing::Test {
  protected:
    void TearDown() override {
        if (jsonFiles_.empty()) return;
        // Debian's python3-jsonschema against the schema that is installed.
        const ProgramRun check =
            runProgram("/usr/bin/python3", quotedFiles(), "", folder_, folder_ / "validator.out");
        EXPECT_EQ(check.status, 0) << check.err;
    }

    fs::path frozenDemo() { return writeFrozenDemo(folder_); }

    ProgramRun run(const std::string& arguments, const fs::path& machine) {
        return runProgram(kOutputDir / "zelkora-cli", arguments, machine, folder_);
    }

    // Runs a command that writes JSON on stdout; keeps it for the schema check.
    nlohmann::json json(const std::string& arguments, const fs::path& machine, int status = 0) {
        const ProgramRun outcome = run(arguments, machine);
        EXPECT_EQ(outcome.status, status) << arguments << "\n" << outcome.err;
        const fs::path kept = folder_ / ("document" + std::to_string(jsonFiles_.size()) + ".json");
        writeBytes(kept, outcome.out);
        jsonFiles_.push_back(kept);
        return nlohmann::json::parse(outcome.out, nullptr, false);
    }

    std::string quotedFiles() const {
        std::string arguments;
        for (const fs::path& file : {kSourceDir / "tests/cli/validate_json.py",
                                     kSourceDir / "resources/zelkora.schema.json"})
            arguments.append(" '").append(file.string()).append("'");
        for (const fs::path& file : jsonFiles_)
            arguments.append(" '").append(file.string()).append("'");
        return arguments;
    }

    const ScratchDir scratch_{"zelkora-interchange"};
    const fs::path& folder_ = scratch_.path();
    std::vector<fs::path> jsonFiles_;
};

std::string section(const std::string& text, const std::string& name) {
    const std::size_t start = text.find("[" + name + "]\n");
    return start == std::string::npos ? ""
                                      : text.substr(start, text.find("\n\n", start) + 2 - start);
}

// The listing is the report's keys and values in the report's order (an
// empty position as "None" and zeros), with the chipset driver's fields
// added; sections narrow both text and JSON.
TEST_F(Interchange, ListingSectionsAndJsonAreTheReportsModel) {
    const fs::path demo = frozenDemo();
    const std::string report = run("report -", demo).out;
    std::string expected = report;
    expected.insert(expected.find("BIOSRomSize=512\n") + 16,
                    "ChipsetDriverProvider=Intel\nChipsetDriverVersion=5.1.1002\n"
                    "ChipsetDriverDate=07/15/2003\n");
    // The drive's right-aligned serial keeps the blanks an INI file drops.
    expected.replace(expected.find("=3JV4ZQ1X"), 9, "=            3JV4ZQ1X");
    EXPECT_EQ(run("list", demo).out, expected);
    std::string pci = section(report, "PCIDevice List");
    EXPECT_EQ(run("list pci", demo).out + "\n", pci);
    EXPECT_EQ(run("list memory general", demo).out + "\n",
              section(report, "General Information") + section(report, "Memory Information"));
    const ProgramRun wrong = run("list pci frobs", demo);
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("frobs"), std::string::npos);

    const nlohmann::json all = json("report --json -", demo);
    EXPECT_EQ(all, json("list --json", demo));
    EXPECT_EQ(all["schema"], 1);
    EXPECT_EQ(all["pci"][0]["vendor"], "8086");
    EXPECT_EQ(all["pci"][0]["vendorId"], 0x8086);
    EXPECT_EQ(all["pci"][0]["config"].get<std::string>().substr(0, 8), "86807025");
    EXPECT_EQ(all["ide"][1], nlohmann::json::parse(
                                 R"({"position": 2, "name": "primary slave", "present": false})"));
    EXPECT_EQ(all["superio"][0]["devices"].size(), 7u) << "six with a PnP identifier, one without";
    const nlohmann::json some = json("list --json cpu pci", demo);
    EXPECT_EQ(some.size(), 3u);
    EXPECT_EQ(some["pci"], all["pci"]);
    EXPECT_EQ(some["cpu"], all["cpu"]);

    // --decode adds each function's registers and capabilities by name.
    const nlohmann::json decoded = json("list --json --decode pci", demo)["pci"][0]["decoded"];
    const nlohmann::json& command = decoded["header"][2];
    EXPECT_EQ(command["name"], "Command");
    EXPECT_EQ(command["offset"], 4);
    EXPECT_EQ(command["valueHex"], "0006");
    EXPECT_EQ(command["fields"][1]["text"], "Mem+");
    EXPECT_EQ(decoded["capabilities"][0]["offset"], 0xE4);
    EXPECT_EQ(decoded["capabilities"][0]["key"], "VNDR");
    EXPECT_EQ(run("list --decode", demo).status, 2);
}

// The configuration bytes of one function of an lspci dump, read here on
// their own: the hex lines of its block, up to the blank line that ends it.
std::string dumpedBytes(const std::string& dump, const std::string& address) {
    std::istringstream in(dump.substr(dump.find("\n" + address + " ") + 1));
    std::string line, bytes;
    std::getline(in, line);
    while (std::getline(in, line) && !line.empty()) {
        for (std::size_t at = 4; line[0] != '\t' && at + 1 < line.size(); at += 3)
            bytes += line.substr(at, 2);
    }
    return bytes;
}

// Dumps of a real-shaped machine become a description that replays them:
// the same functions and bytes, BIOS and drive fields, and the chip.
TEST_F(Interchange, ImportReplaysTheDumps) {
    const std::string dumps = "--lspci '" + (kImports / "lspci-xxx.txt").string() + "' --dmi '" +
                              (kImports / "dmidecode.bin").string() + "' --identify '" +
                              (kImports / "sda-id.txt").string() + "' --identify '" +
                              (kImports / "sr0-hdparm.txt").string() + "' --superio '" +
                              (kImports / "superiotool-d.txt").string() + "'";
    const ProgramRun imported = run("import -o machine.json " + dumps, "");
    ASSERT_EQ(imported.status, 0) << imported.err;
    const fs::path machine = folder_ / "machine.json";
    EXPECT_EQ(run("diff machine.json '" + (kImports / "lspci-xxx.txt").string() + "'", "").status,
              0);

    const nlohmann::json listing = json("list --json", machine);
    const std::string dump = fileBytes(kImports / "lspci-xxx.txt");
    std::vector<std::string> addresses;
    for (const auto& function : listing["pci"]) {
        addresses.push_back(function["address"]);
        const std::string shown = dumpedBytes("\n" + dump, function["address"]);
        EXPECT_EQ(function["config"].get<std::string>().substr(0, shown.size()), shown);
        // An unprivileged dump's missing bytes read as refused, not as the device's.
        if (shown.size() < 512) {
            EXPECT_EQ(function["config"].get<std::string>().substr(shown.size()),
                      std::string(512 - shown.size(), 'f'));
        }
    }
    EXPECT_EQ(addresses, (std::vector<std::string>{"00:00.0", "00:01.0", "00:1f.0", "01:00.0"}));
    const auto& board = listing["board"];
    EXPECT_EQ(board["biosVendor"].get<std::string>() + "|" +
                  board["biosRevision"].get<std::string>() + "|" +
                  std::to_string(board["biosRomSizeKB"].get<int>()) + "|" +
                  board["model"].get<std::string>() + "|" + board["releaseDate"].get<std::string>(),
              "American Megatrends Inc.|0805|2048|P5K PRO|04/16/2009");
    std::vector<std::string> drives;
    for (const auto& drive : listing["ide"]) {
        if (!drive["present"]) continue;
        drives.push_back(
            drive["kind"].get<std::string>() + " " + drive["model"].get<std::string>() + "|" +
            drive["serial"].get<std::string>() + "|" + drive["firmware"].get<std::string>() + "|" +
            std::to_string(drive["totalSectors"].get<unsigned>()));
    }
    EXPECT_EQ(drives, (std::vector<std::string>{
                          "ata WDC WD5000AAKS-00V1A0|WD-WCAV12345678|01.01A01|268435455",
                          "atapi HL-DT-ST DVDRAM GH22NS50|K1234567890|TN03|0"}));
    EXPECT_EQ(listing["superio"][0]["type"], "Winbond W83627THF/THG");
    EXPECT_EQ(listing["cpu"]["speedMHz"], 3000);

    // Our own superio-dump, in the same layout, replays the chip it dumped.
    writeBytes(folder_ / "chip.txt", run("superio-dump", kMachinesDir / "demo.json").out);
    ASSERT_EQ(run("import -o chip.json --superio chip.txt", "").status, 0);
    const auto registers = [&](const fs::path& machine) {
        const nlohmann::json chip = json("list --json superio", machine)["superio"][0];
        std::map<int, std::string> byDevice = {{-1, chip["type"]}};
        for (const auto& device : chip["devices"])
            byDevice[device["logicalDevice"]] = device["registers"];
        return byDevice;
    };
    // Without the demo's registry fewer devices are named; those listed match.
    const auto demoChip = registers(kMachinesDir / "demo.json");
    const auto replayed = registers(folder_ / "chip.json");
    EXPECT_GE(replayed.size(), 3u);
    for (const auto& [device, bytes] : replayed)
        EXPECT_EQ(bytes, demoChip.at(device)) << device;
}

// Inputs that cannot be read are refused naming the file and the line (or,
// for binary input, the offset); nothing is written.
TEST_F(Interchange, BadDumpsAndSourcesAreRefusedWithFileAndLine) {
    scratch_.write("torn.txt", "00:00.0 Host bridge: Intel\n00: 86 80 zz\n");
    scratch_.write("bare.txt", "00:00.0 Host bridge: Intel Corporation Device 29c0\n");
    scratch_.write("words.txt", "/dev/sda:\n0040 3fff\n0000 00g1\n");
    scratch_.write("short.txt", "0040 3fff\n");
    scratch_.write("sio.txt",
                   "Found Winbond W83627HF (id=0x52, rev=0x17) at 0x2e\nRegister dump:\n"
                   "idx 20 21\nval 52\n");
    scratch_.write("ali.txt", "superiotool r4\nFound ALi M5123 (id=0x5123, rev=0x01) at 0x3f0\n");
    std::string dmi = fileBytes(kImports / "dmidecode.bin");
    scratch_.write("cut.bin", dmi.substr(0, 0x30));
    scratch_.write("bad.ini",
                   "[Host]\nBus00 Dev00 Fun00 Register 00h=86h\n"
                   "Bus00 Dev00 Fun00 Register 04h=zz\n");
    struct Case {
        const char* arguments;
        const char* message;
    };
    for (const auto& [arguments, message] : {
             Case{"import -o m.json --lspci torn.txt", "torn.txt:2: not a hex byte: zz"},
             Case{"import -o m.json --lspci bare.txt",
                  "bare.txt:1: no configuration bytes follow this function"},
             Case{"import -o m.json --identify words.txt",
                  "words.txt:3: not a hexadecimal identify word: 00g1"},
             Case{"import -o m.json --identify short.txt", "short.txt: holds 2 identify words"},
             Case{"import -o m.json --superio sio.txt",
                  "sio.txt:4: holds 1 values for the line before it, which names 2 registers"},
             Case{"import -o m.json --superio ali.txt",
                  "ali.txt:2: no simulated configuration method for ALi chips"},
             Case{"import -o m.json --dmi cut.bin", "cut.bin: offset 20h: a structure runs"},
             Case{"import -o m.json --dmi missing.bin", "cannot read missing.bin: no such file"},
             Case{"import -o m.json", "import needs at least one dump"},
             Case{"diff bad.ini live",
                  "bad.ini:3: Bus00 Dev00 Fun00 Register 04h: not a register value"},
             Case{"diff torn.txt live", "torn.txt:2: not a hex byte: zz"},
             Case{"diff live nowhere.ini", "cannot read nowhere.ini: no such file"},
         }) {
        const ProgramRun outcome = run(arguments, kMachinesDir / "demo.json");
        EXPECT_EQ(outcome.status, 2) << arguments;
        EXPECT_TRUE(outcome.err.starts_with(std::string("zelkora-cli: ") + message))
            << arguments << "\n"
            << outcome.err;
    }
    EXPECT_FALSE(fs::exists(folder_ / "m.json"));
}

// diff: 0 equal, 1 different, with the header's register names.
TEST_F(Interchange, DiffOfConfigurationFilesDescriptionsAndTheLiveBus) {
    const fs::path demo = kMachinesDir / "demo.json";
    ASSERT_EQ(run("pci-save pci.ini", demo).status, 0);
    std::string edited = fileBytes(folder_ / "pci.ini");
    for (const auto& [from, to] : {std::pair{"Fun00 Register 04h=07h", "Fun00 Register 04h=06h"},
                                   std::pair{"Fun00 Register 3Ch=0Bh", "Fun00 Register 3Ch=0Ah"}})
        edited.replace(edited.find(std::string("Bus01 Dev00 ") + from), 34,
                       std::string("Bus01 Dev00 ") + to);
    writeBytes(folder_ / "edited.ini", edited);

    const ProgramRun same = run("diff pci.ini live", demo);
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(same.err,
              "zelkora-cli: pci.ini and live: the 11 functions of both hold the same "
              "bytes\n");
    const ProgramRun changed = run("diff edited.ini " + demo.string(), demo);
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(changed.out,
              "01:00.0 10de:0322\n  04h: 06h -> 07h (Command)\n  3Ch: 0Ah -> 0Bh (Interrupt "
              "Line)\n");
    const nlohmann::json listing = json("list --json pci", demo);
    const nlohmann::json versus =
        json("diff --json '" + (kImports / "lspci-xxx.txt").string() + "' document0.json", demo, 1);
    EXPECT_EQ(versus["functions"].size(), 4u) << "the dump's four functions differ";
    EXPECT_EQ(versus["onlyInA"].size(), 0u);
    EXPECT_EQ(versus["onlyInB"].size(), listing["pci"].size() - 4);
    EXPECT_EQ(
        json("diff --json edited.ini live", demo, 1)["functions"][0]["changes"][1],
        nlohmann::json::parse(R"({"offset": 60, "a": 10, "b": 11, "register": "Interrupt Line"})"));
}

// A capture leaves out the serial numbers, UUID and names of a host unless
// told to keep them, and says what it replaced.
TEST_F(Interchange, CaptureLeavesOutWhatNamesTheHost) {
    const FakeRoot root("zelkora-private-root");
    root.addPciFunction("00:00.0", pciSpace(0x8086, 0x29C0, 0x060000, 0x10, 0x82761043));
    const std::string dump = fileBytes(kImports / "dmidecode.bin");
    root.write("sys/firmware/dmi/tables/smbios_entry_point", dump.substr(0, 0x1F));
    root.write("sys/firmware/dmi/tables/DMI", dump.substr(0x20));
    root.write("sys/class/ata_device/dev1.0/class", "ata\n");
    root.write("sys/class/ata_device/dev1.0/id", fileBytes(kImports / "sda-id.txt"));
    const std::vector<std::string> serials = {"SYS-4711-0815", "MB-1234567890",  "CH-99887766",
                                              "CPU-SN-31337",  "ASSET-BOARD-77", "WD-WCAV12345678"};

    const ProgramRun captured = run("capture-machine host.json", "");
    ASSERT_EQ(captured.status, 0) << captured.err;
    EXPECT_NE(captured.err.find("zelkora-cli: left out what identifies this computer or its user, "
                                "with fixed placeholders in its place (--keep-serials keeps it): "
                                "the computer name, the user name, the system serial number, the "
                                "system UUID, the board serial number, the board asset tag, the "
                                "chassis serial number, the chassis asset tag, the processor "
                                "serial number, the processor asset tag and the drives' serial "
                                "numbers\n"),
              std::string::npos)
        << captured.err;
    const std::string files = fileBytes(folder_ / "host.json") + fileBytes(folder_ / "host.reg");
    // Hex blobs hold the bytes as "57 44"; identify words hold ATA text with
    // each pair of characters swapped.
    const auto hexText = [](const std::string& text, bool swapped) {
        std::string hex;
        char byte[4];
        for (std::size_t i = 0; i < text.size(); ++i) {
            std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X",
                          static_cast<unsigned char>(text[swapped ? i ^ 1 : i]));
            hex += byte;
        }
        return hex;
    };
    for (const std::string& serial : serials) {
        for (const std::string& form :
             {serial, hexText(serial, false), hexText(serial.substr(0, 14), true)})
            EXPECT_EQ(files.find(form), std::string::npos) << form;
    }
    EXPECT_EQ(files.find("A1 B2 C3 D4 E5 F6"), std::string::npos) << "the system UUID";
    EXPECT_NE(files.find("\"computerName\": \"COMPUTER\""), std::string::npos);

    const nlohmann::json replayed = json("list --json", folder_ / "host.json");
    EXPECT_EQ(replayed["ide"][0]["serial"], "XXXXXXXXXXXXXXX");
    EXPECT_EQ(replayed["board"]["biosVendor"], "American Megatrends Inc.");
    json("list --json", "");  // the fake root itself

    ASSERT_EQ(run("capture-machine --keep-serials kept.json", "").status, 0);
    EXPECT_EQ(json("list --json ide", folder_ / "kept.json")["ide"][0]["serial"],
              "WD-WCAV12345678");
}

}  // namespace
}  // namespace zelkora::testing
