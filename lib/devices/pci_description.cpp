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

// Only a key name of this length can be looked up.
constexpr size_t kIdentifierLength = sizeof "VEN_vvvv&DEV_dddd&SUBSYS_ssssssss&REV_rr" - 1;

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
        key.walkTree(kDescriptionValue,
                     [this](const platform::registry::WalkedKey& walked) { add(walked); });
        key.Close();
        finish();
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
        const uint32_t holder = nextWithDescription_[deviceKey];
        if (holder >= subtreeEnd_[deviceKey]) return false;
        common::copyText(text, readDescription(joinPath(base_, pathOf(holder))));
        return true;
    }

  private:
    static constexpr uint32_t kNoParent = UINT32_MAX;

    struct FirstHolder {
        uint32_t holderRank;
        uint32_t keyRank;  // the rank of the subkey itself below that holder
    };

    void add(const platform::registry::WalkedKey& walked) {
        const auto rank = static_cast<uint32_t>(parents_.size());
        ancestors_.resize(walked.depth);
        const uint32_t parent = ancestors_.empty() ? kNoParent : ancestors_.back();
        ancestors_.push_back(rank);
        parents_.push_back(parent);
        nameEnds_.push_back(static_cast<uint32_t>(names_.size()) +
                            static_cast<uint32_t>(walked.name.size()));
        names_ += walked.name;
        holdsDescription_.push_back(walked.holdsValue);
        // The search tests a key for the subkey before it descends, so the
        // holder that counts is the earliest parent, not the earliest key.
        if (parent != kNoParent && walked.name.size() == kIdentifierLength) {
            const auto [first, added] =
                firstHolder_.try_emplace(foldName(walked.name), FirstHolder{parent, rank});
            if (!added && parent < first->second.holderRank) first->second = {parent, rank};
        }
    }

    // Subtree ends and the next key holding a description, from the last rank back.
    void finish() {
        const auto count = static_cast<uint32_t>(parents_.size());
        subtreeEnd_.resize(count);
        for (uint32_t rank = 0; rank < count; ++rank)
            subtreeEnd_[rank] = rank + 1;
        nextWithDescription_.assign(count + 1, count);
        for (uint32_t rank = count; rank-- > 0;) {
            nextWithDescription_[rank] =
                holdsDescription_[rank] ? rank : nextWithDescription_[rank + 1];
            if (parents_[rank] != kNoParent) {
                auto& end = subtreeEnd_[parents_[rank]];
                end = std::max(end, subtreeEnd_[rank]);
            }
        }
    }

    std::string_view nameOf(uint32_t rank) const {
        const uint32_t start = rank == 0 ? 0 : nameEnds_[rank - 1];
        return std::string_view(names_).substr(start, nameEnds_[rank] - start);
    }

    // "\A\B" from the root to the key, "" for the root itself.
    std::string pathOf(uint32_t rank) const {
        std::vector<std::string_view> names;
        for (; parents_[rank] != kNoParent; rank = parents_[rank])
            names.push_back(nameOf(rank));
        std::string path;
        for (auto name = names.rbegin(); name != names.rend(); ++name) {
            path += '\\';
            path += *name;
        }
        return path;
    }

    std::optional<probes::RunningSystem> system_;
    std::string base_;
    std::vector<uint32_t> ancestors_;  // during the walk: the ranks above the key met last
    std::vector<uint32_t> parents_;
    std::string names_;               // every key's name, one after another
    std::vector<uint32_t> nameEnds_;  // where each key's name ends in names_
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
