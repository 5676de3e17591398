// The firmware's legacy devices in the live registry, where the Super-I/O
// look-ups find their names.
#include "platform/registry/live_pnp.h"

#include "platform/live/system_root.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace zelkora::platform::registry {

namespace {

namespace fs = std::filesystem;

struct PnpName {
    std::string_view id;
    std::string_view description;
    bool port;  // named with FriendlyName as well
};

constexpr auto kNames = std::to_array<PnpName>({
    {"PNP0400", "Printer Port", true},
    {"PNP0401", "ECP Printer Port", true},
    {"PNP0501", "Communications Port", true},
    {"PNP0500", "Communications Port", true},
    {"PNP0510", "Infrared port", false},
    {"PNP0511", "Infrared port", false},
    {"PNP0700", "Standard floppy disk controller", false},
    {"PNPB006", "MPU-401 Compatible MIDI Device", false},
    {"PNPB02F", "Standard Game Port", false},
    {"PNP0303", "Standard PS/2 Keyboard", false},
    {"PNP0F13", "PS/2 Compatible Mouse", false},
    {"PNP0B00", "System CMOS/real time clock", false},
    {"PNP0C02", "Motherboard resources", false},
});

struct PnpDevice {
    std::string id;
    int ttyNumber = INT_MAX;  // ttyS<n> of a serial port, INT_MAX when none
    std::string sysfsName;
};

bool isPnpId(std::string_view id) {
    return id.size() == 7 && id.starts_with("PNP") &&
           std::all_of(id.begin() + 3, id.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// The first tty below the device ("tty/ttyS0"), as a number.
int ttyNumber(const fs::path& device) {
    std::error_code error;
    int number = INT_MAX;
    for (const auto& entry : fs::directory_iterator(device / "tty", error)) {
        int n = 0;
        char tail = 0;
        if (std::sscanf(entry.path().filename().c_str(), "ttyS%d%c", &n, &tail) == 1 && n >= 0)
            number = std::min(number, n);
    }
    return number;
}

std::vector<uint8_t> stringData(std::string_view text) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

}  // namespace

void addPnpDevices(Hive& hive, const fs::path& pnpDevices) {
    std::vector<PnpDevice> devices;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(pnpDevices, error)) {
        // The first line is the device's own identifier, the rest compatible ones.
        const std::optional<std::string> text = readRegularFile(entry.path() / "id", 4096);
        if (!text || text->empty()) continue;
        std::string id = text->substr(0, text->find('\n'));
        while (!id.empty() && std::isspace(static_cast<unsigned char>(id.back())))
            id.pop_back();
        std::transform(id.begin(), id.end(), id.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (!isPnpId(id)) continue;
        devices.push_back({id, ttyNumber(entry.path()), entry.path().filename().string()});
    }
    std::sort(devices.begin(), devices.end(), [](const PnpDevice& a, const PnpDevice& b) {
        return std::tie(a.id, a.ttyNumber, a.sysfsName) < std::tie(b.id, b.ttyNumber, b.sysfsName);
    });

    std::map<std::string, int> instances;
    for (const auto& device : devices) {
        const auto known = std::find_if(kNames.begin(), kNames.end(),
                                        [&](const PnpName& name) { return name.id == device.id; });
        std::string description =
            known != kNames.end() ? std::string(known->description) : "PnP device " + device.id;
        const int instance = ++instances[device.id];
        const auto key =
            hive.create(kHKeyLocalMachine, std::string(kLiveAcpiEnumPath) + "\\" + device.id +
                                               "\\" + std::to_string(instance));
        key->setValue("DeviceDesc", kRegSz, stringData(description));
        key->setValue("HardwareID", kRegSz, stringData("ACPI\\" + device.id));
        if (known != kNames.end() && known->port) {
            if (device.ttyNumber != INT_MAX)
                description += " (COM" + std::to_string(device.ttyNumber + 1) + ")";
            key->setValue("FriendlyName", kRegSz, stringData(description));
        }
    }
}

}  // namespace zelkora::platform::registry
