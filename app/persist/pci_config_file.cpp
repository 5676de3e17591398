#include "app/persist/pci_config_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/fixed_text.h"
#include "common/pci_config.h"
#include "common/profile_file.h"
#include "common/profile_line.h"
#include "zelkora/sysinfo.h"

namespace zelkora::persist {

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string registerKey(const PciFunction& function, unsigned offset) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), " Register %2.2Xh", offset);
    return functionName(function) + text.data();
}

std::string descriptionKey(const PciFunction& function) {
    return functionName(function) + " DeviceDesc";
}

bool sameFunction(const RegisterWrite& a, const RegisterWrite& b) {
    return a.bus == b.bus && a.device == b.device && a.function == b.function;
}

}  // namespace

std::string functionName(const PciFunction& function) {
    std::array<char, 24> text{};
    std::snprintf(text.data(), text.size(), "Bus%2.2X Dev%2.2X Fun%2.2X", function.bus,
                  function.device, function.function);
    return text.data();
}

std::size_t touchedFunctions(std::span<const RegisterWrite> writes) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (i == 0 || !sameFunction(writes[i], writes[i - 1])) ++count;
    }
    return count;
}

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
                   common::PortIo& ports, PciSaveProblem* problem) {
    // The values of the moment, not the snapshot of the walk.
    std::vector<std::array<uint8_t, 256>> spaces(functions.size());
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const PciFunction& function = functions[i];
        const common::UnreadDwords unread = common::ReadPCIConfigByteBlock(
            ports, function.bus, function.device, function.function, spaces[i]);
        if (unread.none()) continue;
        if (problem) {
            problem->unreadFunction = function;
            problem->unreadBytes = common::unreadBytesText(unread);
            for (unsigned dword = 0; dword < unread.size(); ++dword) {
                if (unread[dword]) {
                    problem->firstUnreadOffset = static_cast<uint8_t>(dword * 4);
                    break;
                }
            }
        }
        return false;
    }

    common::ProfileFile profile(true);
    profile.setFile(path);
    std::array<char, 8> value{};
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const PciFunction& function = functions[i];
        const std::string_view section = function.description;
        profile.writeString(descriptionKey(function), section, section);
        for (unsigned offset = 0; offset < spaces[i].size(); ++offset) {
            std::snprintf(value.data(), value.size(), "%2.2Xh", spaces[i][offset]);
            profile.writeString(registerKey(function, offset), value.data(), section);
        }
    }
    if (profile.flush()) return true;
    if (problem) problem->fileProblem = profile.writeProblem();
    return false;
}

std::vector<RegisterWrite> planPciLoad(const std::string& path,
                                       std::span<const PciFunction> functions,
                                       PciLoadNotes* notes) {
    std::vector<RegisterWrite> writes;
    common::ProfileFile profile(true);
    profile.setFile(path);
    if (notes) {
        notes->readProblem = profile.readProblem();
        for (const std::string& section : profile.sectionNames()) {
            const std::string folded = common::foldProfileName(section);
            const bool matched =
                std::any_of(functions.begin(), functions.end(), [&](const PciFunction& function) {
                    return common::foldProfileName(
                               common::trimProfileBlanks(function.description)) == folded;
                });
            if (!matched) notes->unmatchedSections.push_back(section);
        }
    }
    std::vector<SkippedValue>* skipped = notes ? &notes->skipped : nullptr;
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

std::string loadProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::strerror(errno);
    common::ProfileFile profile(true);
    profile.setFile(path);
    return profile.readProblem();
}

}  // namespace zelkora::persist
