// superio-dump [--port 2E|4E]: the configuration registers of the Super-I/O
// chip at 2Eh and 4Eh as plain text that a user can send us. The layout is
// written down in docs/superio-chips.md, for the readers of such dumps.
#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/persist/library_ports.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/standard_streams.h"
#include "common/data_file.h"
#include "common/profile_file.h"
#include "common/superio_dump.h"
#include "hardware/pc_addresses.h"

namespace zelkora::cli {

namespace {

constexpr uint8_t kChipId = 0x20, kChipIdLow = 0x21, kChipRevision16 = 0x22;
constexpr std::string_view kChipFile = "SuperIOInfo.txt";
constexpr std::size_t kRegistersPerRow = 16;

// The chip file's logical device keys, by the name the dump gives a device.
constexpr std::array<std::pair<const char*, const char*>, 7> kDeviceKeys{{
    {"FDC", "FDC Logical Device Number"},
    {"Parallel Port", "Parallel Port Logical Device Number"},
    {"UART A", "UART A Logical Device Number"},
    {"UART B", "UART B Logical Device Number"},
    {"CIR", "CIR Logical Device Number"},
    {"Midi Port", "Midi Port Logical Device Number"},
    {"Game Port", "Game Port Logical Device Number"},
}};

// What the chip file says of a chip: its name, whether its 8-bit section
// names it, and its logical devices' names by number.
struct ChipEntry {
    bool listed = false;
    bool eightBitId = false;
    std::string type;
    std::array<std::string, common::kDumpedLogicalDevices> deviceNames;
};

template <typename... Values>
std::string printed(const char* format, Values... values) {
    std::array<char, 128> text{};
    std::snprintf(text.data(), text.size(), format, values...);
    return text.data();
}

ChipEntry lookUpChip(std::span<const uint8_t> globals) {
    common::ProfileFile file(true);
    file.setFile(common::dataFilePath(kChipFile));
    ChipEntry chip;
    const unsigned wideId = globals[kChipId] << 8 | globals[kChipIdLow];
    chip.eightBitId =
        !file.getString("Manufacture", {}, printed("ID=%2.2Xh", globals[kChipId])).empty();
    chip.listed =
        chip.eightBitId || !file.getString("Manufacture", {}, printed("ID=%4.4Xh", wideId)).empty();
    if (!chip.listed) return chip;
    chip.type = file.getString("Super-I/O Type");
    for (const auto& [name, key] : kDeviceKeys) {
        const int32_t number = file.getInteger(key, -1);
        if (number < 0 || number >= common::kDumpedLogicalDevices) continue;
        std::string& names = chip.deviceNames[static_cast<std::size_t>(number)];
        names += (names.empty() ? "" : ", ") + std::string(name);
    }
    return chip;
}

const char* keyName(common::SuperIoMethod method) {
    switch (method) {
        case common::SuperIoMethod::Smsc:
            return "smsc";
        case common::SuperIoMethod::Ite:
            return "ite";
        default:
            return "winbond";
    }
}

// "idx" and "val" lines, 16 registers a pair, the first one numbered
// `first`; a register the key's exit makes unreadable is left out.
void appendRows(std::string& text, std::span<const uint8_t> values, unsigned first,
                common::SuperIoMethod method) {
    for (std::size_t row = 0; row < values.size(); row += kRegistersPerRow) {
        std::string indexes = "idx", contents = "val";
        for (std::size_t i = row; i < row + kRegistersPerRow && i < values.size(); ++i) {
            const auto reg = static_cast<uint8_t>(first + i);
            if (common::indexEndsConfiguration(method, reg)) continue;
            indexes += printed(" %02x", reg);
            contents += printed(" %02x", values[i]);
        }
        text += indexes + '\n' + contents + '\n';
    }
}

std::string dumpText(const common::SuperIoDump& dump) {
    const ChipEntry chip = lookUpChip(dump.globals);
    const auto& g = dump.globals;
    std::string text = "Found " + (chip.listed ? chip.type : "unknown chip");
    text += chip.eightBitId ? printed(" (id=0x%02x, rev=0x%02x)", g[kChipId], g[kChipIdLow])
                            : printed(" (id=0x%04x, rev=0x%02x)", g[kChipId] << 8 | g[kChipIdLow],
                                      g[kChipRevision16]);
    text += printed(" at 0x%x\n", dump.port);
    text += std::string("Configuration key: ") + keyName(dump.method) + "\nRegister dump:\n";
    appendRows(text, g, 0, dump.method);
    for (const auto& device : dump.devices) {
        text += printed("LDN 0x%02x", device.number);
        if (const auto& names = chip.deviceNames[device.number]; !names.empty())
            text += " (" + names + ")";
        text += '\n';
        appendRows(text, device.registers, common::kFirstLogicalDeviceRegister, dump.method);
    }
    return text;
}

std::string portText(uint16_t port) {
    return printed("%Xh", port);
}

}  // namespace

Action defineSuperIoDump(CLI::App& command) {
    auto port = std::make_shared<std::string>();
    command
        .add_option("--port", *port,
                    "Only the chip at this configuration port; without it 2E and then 4E")
        ->check(CLI::IsMember({"2E", "4E"}, CLI::ignore_case))
        ->option_text("2E|4E");
    return [port] {
        const std::vector<uint16_t> candidates =
            port->empty()
                ? std::vector<uint16_t>{hardware::kSuperIoPort2E, hardware::kSuperIoPort4E}
                : std::vector{static_cast<uint16_t>(std::stoul(*port, nullptr, 16))};
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        persist::LibraryPorts ports;
        ports.takeRefusedRead();
        std::string text = "zelkora-cli " ZELKORA_VERSION "\n";
        std::string found;
        int chips = 0;
        for (const uint16_t candidate : candidates) {
            const common::ChipProbe probe = common::probeChip(ports, candidate, kChipId);
            const common::SuperIoDump dump =
                probe.method == common::SuperIoMethod::None
                    ? common::SuperIoDump{}
                    : common::readSuperIoDump(ports, probe.method, candidate);
            if (ports.takeRefusedRead()) {
                complain("cannot read the Super-I/O configuration port " + portText(candidate) +
                         ": no raw port access (it needs root and ZELKORA_RAW_PORTS=1)");
                return kAccessRefused;
            }
            if (probe.method == common::SuperIoMethod::None) continue;
            text += dumpText(dump);
            ++chips;
            const std::size_t devices = dump.devices.size();
            found += (found.empty() ? "" : ", ") + portText(candidate) + " (" +
                     std::to_string(devices) +
                     (devices == 1 ? " logical device)" : " logical devices)");
        }
        if (found.empty()) {
            complain("no Super-I/O chip answered on port " + portText(candidates.front()) +
                     (candidates.size() > 1 ? " or " + portText(candidates.back()) : ""));
            return kAccessRefused;
        }
        std::fputs(text.c_str(), stdout);
        complain((chips == 1 ? "dumped the Super-I/O chip at " : "dumped the Super-I/O chips at ") +
                 found);
        return kSuccess;
    };
}

}  // namespace zelkora::cli
