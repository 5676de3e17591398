// PCI device descriptions from the device registry.
#include "lib/devices/pci_description.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/fixed_text.h"
#include "lib/probes/os_table.h"
#include "lib/probes/registry_key.h"

namespace zelkora::devices {

namespace {

constexpr std::string_view kDescriptionValue = "DeviceDesc";

std::string hardwareIdentifier(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem,
                               uint8_t revision) {
    char text[48];
    std::snprintf(text, sizeof text, "VEN_%4.4X&DEV_%4.4X&SUBSYS_%8.8X&REV_%2.2X",
                  unsigned{vendorId}, unsigned{deviceId}, unsigned{subsystem}, unsigned{revision});
    return text;
}

// A key path below `base`; `relative` is empty or starts with a backslash.
// With an empty base (a system the version table does not know) the path
// starts at the root key itself and must not begin with a separator.
std::string joinPath(std::string_view base, std::string_view relative) {
    if (base.empty() && !relative.empty() && relative.front() == '\\') relative.remove_prefix(1);
    std::string path(base);
    path += relative;
    return path;
}

// Registry key names compare without regard to case.
std::string foldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

std::string readDescription(std::string_view path) {
    probes::RegistryKey key(probes::kHKeyLocalMachine, path, probes::kRegistryRead);
    std::string description;  // stays empty when the value is not a string
    key.QueryString(kDescriptionValue, description);
    return description;
}

// The description held by the first key at or below the device key, in
// enumeration order, that has a DeviceDesc value.
bool describeFromDeviceKey(const std::string& deviceKey, char (&text)[50]) {
    probes::RegistryKey key(probes::kHKeyLocalMachine, deviceKey, probes::kRegistryRead);
    std::string instance;
    if (!key.FindKeyWithValue(kDescriptionValue, instance)) {
        key.Close();
        return false;
    }
    key.Close();
    common::copyText(text, readDescription(deviceKey + instance));
    return true;
}

}  // namespace

bool LookUpPCIDescription(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem,
                          uint8_t revision, char (&text)[50]) {
    std::memset(text, 0, sizeof text);
    const auto system = probes::identifyRunningSystem();
    if (!system) return false;
    const std::string base(probes::deviceEnumRoot(system->platformId));
    if (system->osCode == probes::kOSCodeWindowsNT) {
        common::copyText(text, kNT4DescriptionText);
        return true;
    }

    probes::RegistryKey key(probes::kHKeyLocalMachine, base, probes::kRegistryRead);
    const std::string identifier = hardwareIdentifier(vendorId, deviceId, subsystem, revision);
    std::string holder;
    if (!key.FindSubKey(identifier, holder)) {
        key.Close();
        return false;
    }
    key.Close();
    return describeFromDeviceKey(joinPath(base, holder + "\\" + identifier), text);
}

bool DirectPciDescriptions::describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem,
                                     uint8_t revision, char (&text)[50]) {
    return LookUpPCIDescription(vendorId, deviceId, subsystem, revision, text);
}

// The keys below the enumeration root in depth-first (preorder) rank, which
// is the order the registry searches visit them in. A subkey search from the
// root finds the earliest key having a subkey of the name; a value search
// from a key finds the earliest key of its subtree, ranks [rank, end), that
// holds the value.
class IndexedPciDescriptions::Index {
  public:
    Index() {
        system_ = probes::identifyRunningSystem();
        if (!system_ || system_->osCode == probes::kOSCodeWindowsNT) return;
        base_ = probes::deviceEnumRoot(system_->platformId);
        probes::RegistryKey key(probes::kHKeyLocalMachine, base_, probes::kRegistryRead);
        if (!key.isOpen()) return;
        visit(key, "");
        key.Close();
        nextWithDescription_.assign(paths_.size() + 1, static_cast<uint32_t>(paths_.size()));
        for (size_t rank = paths_.size(); rank-- > 0;) {
            nextWithDescription_[rank] = holdsDescription_[rank] ? static_cast<uint32_t>(rank)
                                                                 : nextWithDescription_[rank + 1];
        }
    }

    bool describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem, uint8_t revision,
                  char (&text)[50]) const {
        std::memset(text, 0, sizeof text);
        if (!system_) return false;
        if (system_->osCode == probes::kOSCodeWindowsNT) {
            common::copyText(text, kNT4DescriptionText);
            return true;
        }
        const auto found = firstHolder_.find(
            foldName(hardwareIdentifier(vendorId, deviceId, subsystem, revision)));
        if (found == firstHolder_.end()) return false;
        const uint32_t deviceKey = found->second.keyRank;
        if (deviceKey == kNotVisited) {
            // Below a key the walks do not enter; search it directly.
            const std::string path = paths_[found->second.holderRank] + "\\" +
                                     hardwareIdentifier(vendorId, deviceId, subsystem, revision);
            return describeFromDeviceKey(joinPath(base_, path), text);
        }
        const uint32_t holder = nextWithDescription_[deviceKey];
        if (holder >= subtreeEnd_[deviceKey]) return false;
        common::copyText(text, readDescription(joinPath(base_, paths_[holder])));
        return true;
    }

  private:
    static constexpr uint32_t kNotVisited = UINT32_MAX;

    struct FirstHolder {
        uint32_t holderRank;
        uint32_t keyRank;  // the rank of the subkey itself below that holder
    };

    void visit(probes::RegistryKey& key, const std::string& path) {
        const auto rank = static_cast<uint32_t>(paths_.size());
        paths_.push_back(path);
        holdsDescription_.push_back(key.HasValue(kDescriptionValue));
        subtreeEnd_.push_back(kNotVisited);

        std::vector<std::string> children;
        if (key.HasAnySubKey()) {
            int index = 1;
            do {
                children.push_back(key.EnumSubKey(index));
            } while (index != 0);
        }
        for (const auto& child : children) {
            if (!child.empty()) {
                firstHolder_.try_emplace(foldName(child), FirstHolder{rank, kNotVisited});
            }
        }
        // The searches give up on a key at a subkey name they cannot read.
        const auto unreadable = std::find(children.begin(), children.end(), std::string());
        children.erase(unreadable, children.end());
        for (const auto& child : children) {
            const auto childRank = static_cast<uint32_t>(paths_.size());
            key.Descend(child);
            visit(key, path + "\\" + child);
            key.Ascend();
            auto& first = firstHolder_.at(foldName(child));
            if (first.holderRank == rank && first.keyRank == kNotVisited) first.keyRank = childRank;
        }
        subtreeEnd_[rank] = static_cast<uint32_t>(paths_.size());
    }

    std::optional<probes::RunningSystem> system_;
    std::string base_;
    std::vector<std::string> paths_;  // from the root, "" for the root itself
    std::vector<bool> holdsDescription_;
    std::vector<uint32_t> subtreeEnd_;
    std::vector<uint32_t> nextWithDescription_;
    std::unordered_map<std::string, FirstHolder> firstHolder_;  // by folded subkey name
};

IndexedPciDescriptions::IndexedPciDescriptions() = default;
IndexedPciDescriptions::~IndexedPciDescriptions() = default;

bool IndexedPciDescriptions::describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem,
                                      uint8_t revision, char (&text)[50]) {
    if (!index_) index_ = std::make_unique<Index>();
    return index_->describe(vendorId, deviceId, subsystem, revision, text);
}

}  // namespace zelkora::devices
