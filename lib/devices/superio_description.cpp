#include "lib/devices/superio_description.h"

#include <cstdio>
#include <string>

#include "common/fixed_text.h"
#include "common/superio_access.h"
#include "lib/probes/os_table.h"
#include "lib/probes/registry_key.h"

namespace zelkora::devices {

namespace {

constexpr std::string_view kNt4Note = "WinNT4.0 do not report this information!";

struct Search {
    std::string valueName;
    std::string basePath;
    std::string identifier;
    bool retryWithDeviceDesc = false;
    bool viaAudioRange = false;
};

std::string format(const char* pattern, unsigned value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// Finds the identifier's key below the base path, then the first key under
// it that holds the value, and reads the value into Description.
bool findDescription(SuperIODeviceInfo& record, Search search) {
    probes::RegistryKey key(probes::kHKeyLocalMachine, search.basePath, probes::kRegistryRead);
    std::string identifierPath;
    if (!key.FindSubKey(search.identifier, identifierPath)) return false;
    const std::string devicePath = search.basePath + identifierPath + "\\" + search.identifier;
    key.Reopen(probes::kHKeyLocalMachine, devicePath);
    std::string valuePath;
    if (!key.FindKeyWithValue(search.valueName, valuePath)) {
        if (!search.retryWithDeviceDesc) return false;
        search.valueName = "DeviceDesc";
        valuePath.clear();
        if (!key.FindKeyWithValue(search.valueName, valuePath)) return false;
    }
    key.Reopen(probes::kHKeyLocalMachine, devicePath + valuePath);
    std::string text;
    key.QueryString(search.valueName, text);
    common::copyText(record.Description, text);
    if (search.viaAudioRange && identifierPath == "\\VIAUDIO") {
        record.IOStart = 0x200;
        record.IOEnd = 0x207;
    }
    key.Close();
    return true;
}

}  // namespace

bool LookUpSuperIODescription(SuperIODeviceInfo& record, std::string_view manufacturer) {
    const auto system = probes::identifyRunningSystem();
    if (!system) return false;
    Search search;
    search.retryWithDeviceDesc = true;
    search.viaAudioRange = true;
    if (system->platformId == 1) {
        search = {"FRIENDLYNAME", "Enum", format("*PNP%4.4X", record.PnPIDCopy), true, true};
    } else {
        // Platform 2, and systems outside the table (the live Linux host),
        // whose registry stand-in keeps devices where Windows NT does.
        search = {"FriendlyName", "SYSTEM\\ControlSet001\\Enum",
                  format("PNP%4.4X", record.PnPIDCopy), true, true};
    }
    // VIA's audio driver enumerates its game and MIDI ports with the star.
    if ((record.PnPIDCopy >> 8) == 0xB0 && manufacturer == common::kViaManufacturer) {
        search.identifier = format("*PNP%4.4X", record.PnPIDCopy);
    }
    if (system->osCode == probes::kOSCodeWindowsNT) {
        common::copyText(record.Description, kNt4Note);
        return true;
    }
    return findDescription(record, search);
}

bool LookUpSerialPortName(SuperIODeviceInfo& record) {
    const auto system = probes::identifyRunningSystem();
    if (!system) return false;
    Search search;
    if (system->platformId == 1) {
        search = {"FRIENDLYNAME", "Enum\\ACPI\\*PNP0501",
                  format("0000000%1.1X", unsigned{record.Instance})};
    } else {
        search = {"FriendlyName", "SYSTEM\\ControlSet001\\Enum\\ACPI\\PNP0501",
                  format("%1.1X", unsigned{record.Instance})};
    }
    if (system->osCode == probes::kOSCodeWindowsNT) {
        common::copyText(record.Description, kNt4Note);
        return true;
    }
    return findDescription(record, search);
}

}  // namespace zelkora::devices
