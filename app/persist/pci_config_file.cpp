#include "app/persist/pci_config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>

#include "common/fixed_text.h"
#include "common/pci_config.h"
#include "common/profile_file.h"
#include "zelkora/sysinfo.h"

namespace zelkora::persist {

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string registerKey(const PciFunction& function, unsigned offset) {
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "Bus%2.2X Dev%2.2X Fun%2.2X Register %2.2Xh",
                  function.bus, function.device, function.function, offset);
    return text.data();
}

std::string descriptionKey(const PciFunction& function) {
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "Bus%2.2X Dev%2.2X Fun%2.2X DeviceDesc", function.bus,
                  function.device, function.function);
    return text.data();
}

}  // namespace

std::vector<PciFunction> walkPciFunctions() {
    std::vector<PciFunction> functions;
    for (DevicePos pos = GetFirstPCIDevicePos(); pos;) {
        PCIDeviceInfo record{};
        GetNextPCIDevice(&record, &pos);
        functions.push_back({record.Bus, record.Device, record.Function,
                             std::string(common::fieldText(record.Description))});
    }
    return functions;
}

std::optional<uint8_t> parseRegisterValue(std::string_view text) {
    if (!text.empty() && (text.back() == 'h' || text.back() == 'H')) text.remove_suffix(1);
    if (text.empty() || text.size() > 2 || !isHexDigit(text.front()) || !isHexDigit(text.back())) {
        return std::nullopt;
    }
    return common::ParseHexByte(text);
}

bool savePciConfig(const std::string& path, std::span<const PciFunction> functions,
                   common::PortIo& ports) {
    common::ProfileFile profile(true);
    profile.setFile(path);
    std::array<uint8_t, 256> config{};
    std::array<char, 8> value{};
    for (const PciFunction& function : functions) {
        const std::string_view section = function.description;
        profile.writeString(descriptionKey(function), section, section);
        // The values of the moment, not the snapshot of the walk.
        common::ReadPCIConfigByteBlock(ports, function.bus, function.device, function.function,
                                       config);
        for (unsigned offset = 0; offset < config.size(); ++offset) {
            std::snprintf(value.data(), value.size(), "%2.2Xh", config[offset]);
            profile.writeString(registerKey(function, offset), value.data(), section);
        }
    }
    return profile.flush();
}

std::vector<RegisterWrite> planPciLoad(const std::string& path,
                                       std::span<const PciFunction> functions,
                                       std::vector<SkippedValue>* skipped) {
    std::vector<RegisterWrite> writes;
    common::ProfileFile profile(true);
    profile.setFile(path);
    for (const PciFunction& function : functions) {
        profile.setSection(function.description);
        for (unsigned offset = 0; offset < 256; ++offset) {
            const std::string key = registerKey(function, offset);
            const std::string text = profile.getString(key);
            const std::optional<uint8_t> value = parseRegisterValue(text);
            if (!value) {
                if (skipped && !text.empty()) skipped->push_back({function.description, key, text});
                continue;
            }
            writes.push_back({function.bus, function.device, function.function,
                              static_cast<uint8_t>(offset), *value});
        }
    }
    return writes;
}

std::size_t applyPciLoad(std::span<const RegisterWrite> writes, common::PortIo& ports) {
    std::size_t refused = 0;
    ports.takeRefusedWrite();
    for (const RegisterWrite& write : writes) {
        common::WritePCIConfigByte(ports, write.bus, write.device, write.function, write.offset,
                                   write.value);
        if (ports.takeRefusedWrite()) ++refused;
    }
    return refused;
}

bool isReadableFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

}  // namespace zelkora::persist
