#include "platform/registry/hive.h"

#include <algorithm>
#include <array>

namespace zelkora::platform::registry {

namespace {

constexpr unsigned char upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

struct RootName {
    std::string_view longName;
    std::string_view shortName;
    uint32_t handle;
};

constexpr std::array<RootName, 6> kRootNames{{
    {"HKEY_CLASSES_ROOT", "HKCR", kHKeyClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", kHKeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", kHKeyLocalMachine},
    {"HKEY_USERS", "HKU", kHKeyUsers},
    {"HKEY_CURRENT_CONFIG", "HKCC", kHKeyCurrentConfig},
    {"HKEY_DYN_DATA", "", kHKeyDynData},
}};

}  // namespace

bool NameLess::operator()(std::string_view a, std::string_view b) const {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;  // most names compared are written alike
        const unsigned char x = upper(static_cast<unsigned char>(a[i]));
        const unsigned char y = upper(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (upper(static_cast<unsigned char>(a[i])) != upper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

size_t characterCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string keyNameProblem(std::string_view name) {
    if (name.empty()) return "a key name is empty";
    if (name.find('\\') != std::string_view::npos) return "a key name holds a '\\'";
    if (name.find('\0') != std::string_view::npos) return "a key name holds a NUL character";
    if (characterCount(name) > kMaxKeyNameChars) {
        return "a key name is longer than " + std::to_string(kMaxKeyNameChars) + " characters";
    }
    return {};
}

std::vector<std::string_view> splitKeyPath(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const size_t cut = path.find('\\');
        const std::string_view part = path.substr(0, cut);
        if (!part.empty()) parts.push_back(part);
        if (cut == std::string_view::npos) break;
        path.remove_prefix(cut + 1);
    }
    return parts;
}

std::shared_ptr<Key> Key::subKeyAt(size_t index) const {
    refreshOrder();
    return index < order_.size() ? order_[index] : nullptr;
}

const std::vector<std::shared_ptr<Key>>& Key::subKeys() const {
    refreshOrder();
    return order_;
}

size_t Key::longestSubKeyName() const {
    refreshOrder();
    return longestName_;
}

void Key::refreshOrder() const {
    if (!orderStale_) return;
    order_.clear();
    order_.reserve(subKeys_.size());
    longestName_ = 0;
    for (const auto& [name, key] : subKeys_) {
        order_.push_back(key);
        longestName_ = std::max(longestName_, name.size());
    }
    orderStale_ = false;
}

std::shared_ptr<Key> Key::findSubKey(std::string_view name) const {
    const auto found = subKeys_.find(name);
    return found == subKeys_.end() ? nullptr : found->second;
}

std::shared_ptr<Key> Key::createSubKey(std::string_view name) {
    auto found = subKeys_.find(name);
    if (found != subKeys_.end()) return found->second;
    if (const std::string problem = keyNameProblem(name); !problem.empty()) {
        throw std::invalid_argument(problem);
    }
    if (depth_ + 1 > kMaxKeyDepth) {
        throw std::invalid_argument("the key lies more than " + std::to_string(kMaxKeyDepth) +
                                    " levels deep");
    }
    auto key = std::make_shared<Key>(std::string(name), depth_ + 1);
    subKeys_.emplace(std::string(name), key);
    orderStale_ = true;
    return key;
}

bool Key::removeSubKey(std::string_view name) {
    const auto found = subKeys_.find(name);
    if (found == subKeys_.end()) return false;
    found->second->markDeleted();
    subKeys_.erase(found);
    orderStale_ = true;
    return true;
}

void Key::markDeleted() {
    deleted_ = true;
    for (auto& [name, key] : subKeys_)
        key->markDeleted();
}

const Value* Key::findValue(std::string_view name) const {
    const auto found = values_.find(name);
    return found == values_.end() ? nullptr : &found->second;
}

void Key::setValue(std::string_view name, uint32_t type, std::vector<uint8_t> data) {
    auto found = values_.find(name);
    if (found == values_.end()) {
        found = values_.emplace(std::string(name), Value{std::string(name), type, {}}).first;
    }
    found->second.type = type;
    found->second.data = std::move(data);
}

bool Key::removeValue(std::string_view name) {
    const auto found = values_.find(name);
    if (found == values_.end()) return false;
    values_.erase(found);
    return true;
}

Hive::Hive() {
    for (const RootName& root : kRootNames) {
        roots_.emplace(root.handle, std::make_shared<Key>(std::string(root.longName)));
    }
}

std::shared_ptr<Key> Hive::root(uint32_t predefined) const {
    const auto found = roots_.find(predefined);
    return found == roots_.end() ? nullptr : found->second;
}

std::shared_ptr<Key> Hive::find(uint32_t predefined, std::string_view path) const {
    std::shared_ptr<Key> key = root(predefined);
    for (std::string_view part : splitKeyPath(path)) {
        if (!key) break;
        key = key->findSubKey(part);
    }
    return key;
}

std::shared_ptr<Key> Hive::create(uint32_t predefined, std::string_view path) {
    std::shared_ptr<Key> key = root(predefined);
    if (!key) throw std::invalid_argument("unknown root key");
    const auto parts = splitKeyPath(path);
    // Checked before anything is created, so a refused path leaves no trace.
    if (parts.size() > kMaxKeyDepth) {
        throw std::invalid_argument("the key lies more than " + std::to_string(kMaxKeyDepth) +
                                    " levels deep");
    }
    for (std::string_view part : parts) {
        if (const std::string problem = keyNameProblem(part); !problem.empty()) {
            throw std::invalid_argument(problem);
        }
    }
    for (std::string_view part : parts)
        key = key->createSubKey(part);
    return key;
}

uint32_t rootByName(std::string_view name) {
    for (const RootName& root : kRootNames) {
        if (sameName(name, root.longName) ||
            (!root.shortName.empty() && sameName(name, root.shortName))) {
            return root.handle;
        }
    }
    return 0;
}

std::unique_ptr<Hive> emptyHive() {
    return std::make_unique<Hive>();
}

}  // namespace zelkora::platform::registry
