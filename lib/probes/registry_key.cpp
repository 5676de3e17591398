#include "lib/probes/registry_key.h"

#include <algorithm>
#include <vector>

namespace zelkora::probes {

namespace reg = platform::registry;

namespace {

// The rights asked for when opening: KEY_READ for read, KEY_ALL_ACCESS for write.
uint32_t openAccess(uint32_t flags) {
    uint32_t access = 0;
    if (flags & kRegistryRead) access |= reg::kKeyRead;
    if (flags & kRegistryWrite) access |= reg::kKeyAllAccess;
    return access;
}

// The rights asked for when testing a subkey: write and create-link for write.
uint32_t testAccess(uint32_t flags) {
    uint32_t access = 0;
    if (flags & kRegistryRead) access |= reg::kKeyRead;
    if (flags & kRegistryWrite) access |= reg::kKeyWrite | reg::kKeyCreateLink;
    return access;
}

}  // namespace

RegistryKey::RegistryKey(RegistryRoot root, std::string_view path, uint32_t access) {
    Open(root, path, access);
}

RegistryKey::~RegistryKey() {
    Close();
}

void RegistryKey::Open(RegistryRoot root, std::string_view path, uint32_t access) {
    Close();
    root_ = root;
    homePath_ = path;
    currentPath_ = path;
    access_ = access;
    const auto status = reg::regCreateKeyEx(reg::KeyHandle::predefined(root), path,
                                            reg::kRegOptionNonVolatile, openAccess(access), key_);
    if (status != reg::kErrorSuccess) {
        root_ = 0;
        homePath_.clear();
        currentPath_.clear();
        key_ = {};
        access_ = 0;
    }
}

void RegistryKey::Reopen(RegistryRoot root, std::string_view path) {
    Close();
    Open(root, path, access_);
}

void RegistryKey::Close() {
    if (!key_.isNull()) reg::regCloseKey(key_);
}

bool RegistryKey::isOpen() const {
    return !key_.isNull();
}

bool RegistryKey::HasAnySubKey() {
    // With no key open there is nothing to enumerate; asking the registry
    // would report a bad handle, which must not read as "has subkeys".
    if (!isOpen()) return false;
    uint32_t longest = 0;
    reg::regQueryInfoKey(key_, nullptr, &longest, nullptr);
    std::vector<char> name(longest + 1, '\0');
    uint32_t length = 0;
    return reg::regEnumKeyEx(key_, 0, name, length) != reg::kErrorNoMoreItems;
}

std::string RegistryKey::EnumSubKey(int& index) {
    uint32_t longest = 0;
    reg::regQueryInfoKey(key_, nullptr, &longest, nullptr);
    std::vector<char> name(longest + 1, '\0');
    uint32_t length = 0;
    if (index >= 1) reg::regEnumKeyEx(key_, static_cast<uint32_t>(index - 1), name, length);
    std::string result(name.data());

    std::vector<char> next(longest + 1, '\0');
    const bool nextExists = index >= 0 && reg::regEnumKeyEx(key_, static_cast<uint32_t>(index),
                                                            next, length) == reg::kErrorSuccess;
    index = nextExists ? index + 1 : 0;
    return result;
}

void RegistryKey::Descend(std::string_view name) {
    const std::string home = homePath_;
    std::string path = currentPath_;
    path += '\\';
    path += name;
    Reopen(root_, path);
    if (isOpen()) homePath_ = home;
}

void RegistryKey::Ascend() {
    if (currentPath_ == homePath_) return;
    const std::string home = homePath_;
    const size_t cut = currentPath_.rfind('\\');
    const std::string path = cut == std::string::npos ? std::string() : currentPath_.substr(0, cut);
    Reopen(root_, path);
    if (isOpen()) homePath_ = home;
}

bool RegistryKey::HasValue(std::string_view name) {
    uint32_t type = 0;
    uint32_t size = 0;
    return reg::regQueryValueEx(key_, name, &type, {}, &size) == reg::kErrorSuccess;
}

bool RegistryKey::HasSubKey(std::string_view name) {
    reg::KeyHandle subKey;
    if (reg::regOpenKeyEx(key_, name, 0, testAccess(access_), subKey) != reg::kErrorSuccess) {
        return false;
    }
    reg::regCloseKey(subKey);
    return true;
}

void RegistryKey::QueryString(std::string_view name, std::string& out) {
    uint32_t type = 0;
    uint32_t size = 0;
    if (reg::regQueryValueEx(key_, name, &type, {}, &size) != reg::kErrorSuccess) return;
    if (type != platform::registry::kRegSz) return;
    std::vector<uint8_t> buffer(size);
    if (reg::regQueryValueEx(key_, name, &type, buffer, &size) != reg::kErrorSuccess) return;
    if (type != platform::registry::kRegSz) return;
    // The text ends at the first NUL, or with the data when the NUL is missing.
    std::string text(buffer.begin(), buffer.begin() + std::min<size_t>(size, buffer.size()));
    out = text.substr(0, text.find('\0'));
}

bool RegistryKey::walkTree(std::string_view valueName,
                           const std::function<void(const reg::WalkedKey&)>& visit) const {
    return isOpen() && reg::regWalkKeyTree(key_, valueName, visit) == reg::kErrorSuccess;
}

bool RegistryKey::FindSubKey(std::string_view name, std::string& path) {
    return searchDepthFirst(&RegistryKey::HasSubKey, name, path);
}

bool RegistryKey::FindKeyWithValue(std::string_view name, std::string& path) {
    return searchDepthFirst(&RegistryKey::HasValue, name, path);
}

// The open key itself first, then each child's subtree in enumeration order;
// the path collects "\child" for every level descended to the match.
bool RegistryKey::searchDepthFirst(bool (RegistryKey::*holds)(std::string_view),
                                   std::string_view name, std::string& path) {
    if (!isOpen()) return false;
    if ((this->*holds)(name)) return true;
    if (!HasAnySubKey()) return false;
    int index = 1;
    for (;;) {
        const std::string child = EnumSubKey(index);
        // A name that could not be read would descend into the key itself.
        if (child.empty()) return false;
        Descend(child);
        if (searchDepthFirst(holds, name, path)) {
            path.insert(0, "\\" + child);
            Ascend();
            return true;
        }
        Ascend();
        if (index == 0) return false;
    }
}

}  // namespace zelkora::probes
