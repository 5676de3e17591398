#pragma once

// The registry calls of Win32, shaped the same way, over the hive of this
// process (platform::services().registry()).

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "platform/registry/hive.h"

namespace zelkora::platform::registry {

using RegStatus = int32_t;
inline constexpr RegStatus kErrorSuccess = 0;
inline constexpr RegStatus kErrorFileNotFound = 2;
inline constexpr RegStatus kErrorAccessDenied = 5;
inline constexpr RegStatus kErrorInvalidHandle = 6;
inline constexpr RegStatus kErrorInvalidParameter = 87;
inline constexpr RegStatus kErrorMoreData = 234;
inline constexpr RegStatus kErrorNoMoreItems = 259;
inline constexpr RegStatus kErrorKeyDeleted = 1018;

// Access rights of a key handle.
inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeySetValue = 0x0002;
inline constexpr uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr uint32_t kKeyNotify = 0x0010;
inline constexpr uint32_t kKeyCreateLink = 0x0020;
inline constexpr uint32_t kKeyRead = 0x0002'0019;
inline constexpr uint32_t kKeyWrite = 0x0002'0006;
inline constexpr uint32_t kKeyAllAccess = 0x000F'003F;

inline constexpr uint32_t kRegOptionNonVolatile = 0;
inline constexpr uint32_t kRegCreatedNewKey = 1;
inline constexpr uint32_t kRegOpenedExistingKey = 2;

// A key handle: a predefined root, an open key, or null. An open key stays
// valid for as long as the handle lives, even when the key is deleted from
// the hive (the calls then answer kErrorKeyDeleted).
class KeyHandle {
  public:
    KeyHandle() = default;
    static KeyHandle predefined(uint32_t root);

    bool isNull() const { return predefined_ == 0 && !key_; }

  private:
    friend struct HandleAccess;
    uint32_t predefined_ = 0;
    std::shared_ptr<Key> key_;
    uint32_t access_ = 0;
};

// Opens parent\subKey; a missing key is created (in memory only) when the
// requested access includes the right to create subkeys, otherwise the call
// fails with kErrorAccessDenied and nothing is created. An empty subKey opens
// the parent itself. `result` is null after a failure.
RegStatus regCreateKeyEx(const KeyHandle& parent, std::string_view subKey, uint32_t options,
                         uint32_t access, KeyHandle& result, uint32_t* disposition = nullptr);
RegStatus regOpenKeyEx(const KeyHandle& parent, std::string_view subKey, uint32_t options,
                       uint32_t access, KeyHandle& result);
// The name of subkey number `index` in enumeration order, NUL-terminated in
// `name`; `nameLength` receives its length without the NUL. A buffer too small
// for name and NUL gives kErrorMoreData.
RegStatus regEnumKeyEx(const KeyHandle& key, uint32_t index, std::span<char> name,
                       uint32_t& nameLength);
// Any of the outputs may be null.
RegStatus regQueryInfoKey(const KeyHandle& key, uint32_t* subKeys, uint32_t* maxSubKeyLength,
                          uint32_t* values);
// Type and bytes of a value ("" is the default value). With `data` empty and
// without storage the call only reports the size; a buffer too small gives
// kErrorMoreData with the size needed in `dataSize`.
RegStatus regQueryValueEx(const KeyHandle& key, std::string_view valueName, uint32_t* type,
                          std::span<uint8_t> data, uint32_t* dataSize);
RegStatus regCloseKey(KeyHandle& key);

// One key met by regWalkKeyTree.
struct WalkedKey {
    std::string_view name;  // as regEnumKeyEx gives it; valid during the visit only
    size_t depth = 0;       // levels below the key the walk started at (0 for that key)
    bool holdsValue = false;
};
// Visits the open key and every key below it, each before its subkeys and the
// subkeys in enumeration order: the order in which a search that opens and
// enumerates key by key meets them, at the cost of one pass over the hive.
// `holdsValue` tells whether a key has a value named `valueName` (any type).
// The visitor must not change the registry. Needs the rights to enumerate
// subkeys and to query values.
RegStatus regWalkKeyTree(const KeyHandle& key, std::string_view valueName,
                         const std::function<void(const WalkedKey&)>& visit);

}  // namespace zelkora::platform::registry
