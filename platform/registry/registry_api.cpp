#include "platform/registry/registry_api.h"

#include <algorithm>
#include <cstring>

#include "platform/services.h"

namespace zelkora::platform::registry {

struct HandleAccess {
    static KeyHandle make(std::shared_ptr<Key> key, uint32_t access) {
        KeyHandle handle;
        handle.key_ = std::move(key);
        handle.access_ = access;
        return handle;
    }

    struct Resolved {
        RegStatus status = kErrorSuccess;
        std::shared_ptr<Key> key;
        uint32_t access = 0;
    };

    // Predefined roots resolve in the hive of this process each time, with
    // every right; an open key answers for itself.
    static Resolved resolve(const KeyHandle& handle) {
        if (handle.predefined_ != 0) {
            auto key = services().registry().root(handle.predefined_);
            if (!key) return {kErrorInvalidHandle, nullptr, 0};
            return {kErrorSuccess, std::move(key), kKeyAllAccess};
        }
        if (!handle.key_) return {kErrorInvalidHandle, nullptr, 0};
        if (handle.key_->deleted()) return {kErrorKeyDeleted, nullptr, 0};
        return {kErrorSuccess, handle.key_, handle.access_};
    }

    static KeyHandle predefined(uint32_t root) {
        KeyHandle handle;
        handle.predefined_ = root;
        return handle;
    }
};

namespace {

using Resolved = HandleAccess::Resolved;

void walkKeyTree(const Key& key, size_t depth, std::string_view valueName,
                 const std::function<void(const WalkedKey&)>& visit) {
    visit({key.name(), depth, key.findValue(valueName) != nullptr});
    for (const auto& subKey : key.subKeys())
        walkKeyTree(*subKey, depth + 1, valueName, visit);
}

Resolved resolveWith(const KeyHandle& handle, uint32_t needed) {
    Resolved resolved = HandleAccess::resolve(handle);
    if (resolved.status == kErrorSuccess && (resolved.access & needed) != needed) {
        return {kErrorAccessDenied, nullptr, 0};
    }
    return resolved;
}

}  // namespace

KeyHandle KeyHandle::predefined(uint32_t root) {
    return HandleAccess::predefined(root);
}

RegStatus regCreateKeyEx(const KeyHandle& parent, std::string_view subKey, uint32_t /*options*/,
                         uint32_t access, KeyHandle& result, uint32_t* disposition) {
    result = KeyHandle();
    Resolved start = HandleAccess::resolve(parent);
    if (start.status != kErrorSuccess) return start.status;

    const auto parts = splitKeyPath(subKey);
    if (start.key->depth() + parts.size() > kMaxKeyDepth) return kErrorInvalidParameter;
    for (std::string_view part : parts) {
        if (!keyNameProblem(part).empty()) return kErrorInvalidParameter;
    }

    std::shared_ptr<Key> key = start.key;
    size_t existing = 0;
    while (existing < parts.size()) {
        auto next = key->findSubKey(parts[existing]);
        if (!next) break;
        key = std::move(next);
        ++existing;
    }
    const bool missing = existing < parts.size();
    if (missing) {
        const bool mayCreate = (access & kKeyCreateSubKey) && (start.access & kKeyCreateSubKey);
        if (!mayCreate) return kErrorAccessDenied;
        try {
            for (size_t i = existing; i < parts.size(); ++i)
                key = key->createSubKey(parts[i]);
        } catch (const std::invalid_argument&) {
            return kErrorInvalidParameter;
        }
    }
    if (disposition) *disposition = missing ? kRegCreatedNewKey : kRegOpenedExistingKey;
    result = HandleAccess::make(std::move(key), access);
    return kErrorSuccess;
}

RegStatus regOpenKeyEx(const KeyHandle& parent, std::string_view subKey, uint32_t /*options*/,
                       uint32_t access, KeyHandle& result) {
    result = KeyHandle();
    Resolved start = HandleAccess::resolve(parent);
    if (start.status != kErrorSuccess) return start.status;
    std::shared_ptr<Key> key = start.key;
    for (std::string_view part : splitKeyPath(subKey)) {
        key = key->findSubKey(part);
        if (!key) return kErrorFileNotFound;
    }
    result = HandleAccess::make(std::move(key), access);
    return kErrorSuccess;
}

RegStatus regEnumKeyEx(const KeyHandle& key, uint32_t index, std::span<char> name,
                       uint32_t& nameLength) {
    const Resolved open = resolveWith(key, kKeyEnumerateSubKeys);
    if (open.status != kErrorSuccess) return open.status;
    const auto child = open.key->subKeyAt(index);
    if (!child) return kErrorNoMoreItems;
    const std::string& childName = child->name();
    if (name.size() < childName.size() + 1) return kErrorMoreData;
    std::memcpy(name.data(), childName.data(), childName.size());
    name[childName.size()] = '\0';
    nameLength = static_cast<uint32_t>(childName.size());
    return kErrorSuccess;
}

RegStatus regQueryInfoKey(const KeyHandle& key, uint32_t* subKeys, uint32_t* maxSubKeyLength,
                          uint32_t* values) {
    const Resolved open = resolveWith(key, kKeyQueryValue);
    if (open.status != kErrorSuccess) return open.status;
    if (subKeys) *subKeys = static_cast<uint32_t>(open.key->subKeyCount());
    if (maxSubKeyLength) *maxSubKeyLength = static_cast<uint32_t>(open.key->longestSubKeyName());
    if (values) *values = static_cast<uint32_t>(open.key->valueCount());
    return kErrorSuccess;
}

RegStatus regQueryValueEx(const KeyHandle& key, std::string_view valueName, uint32_t* type,
                          std::span<uint8_t> data, uint32_t* dataSize) {
    const Resolved open = resolveWith(key, kKeyQueryValue);
    if (open.status != kErrorSuccess) return open.status;
    const Value* value = open.key->findValue(valueName);
    if (!value) return kErrorFileNotFound;
    if (type) *type = value->type;
    const auto size = static_cast<uint32_t>(value->data.size());
    if (dataSize) *dataSize = size;
    if (data.size() < size) return data.data() ? kErrorMoreData : kErrorSuccess;
    std::copy(value->data.begin(), value->data.end(), data.begin());
    return kErrorSuccess;
}

RegStatus regWalkKeyTree(const KeyHandle& key, std::string_view valueName,
                         const std::function<void(const WalkedKey&)>& visit) {
    const Resolved open = resolveWith(key, kKeyEnumerateSubKeys | kKeyQueryValue);
    if (open.status != kErrorSuccess) return open.status;
    walkKeyTree(*open.key, 0, valueName, visit);
    return kErrorSuccess;
}

RegStatus regCloseKey(KeyHandle& key) {
    if (key.isNull()) return kErrorInvalidHandle;
    key = KeyHandle();
    return kErrorSuccess;
}

}  // namespace zelkora::platform::registry
