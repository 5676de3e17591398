#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/registry/registry_api.h"

namespace zelkora::probes {

using RegistryRoot = uint32_t;
inline constexpr RegistryRoot kHKeyLocalMachine = 0x8000'0002;

inline constexpr uint32_t kRegistryRead = 0x1;   // read access
inline constexpr uint32_t kRegistryWrite = 0x2;  // all access

// A registry key with depth-first searches of its subtree. A key that cannot
// be opened leaves an empty object whose searches find nothing.
class RegistryKey {
  public:
    RegistryKey() = default;
    RegistryKey(RegistryRoot root, std::string_view path, uint32_t access);
    virtual ~RegistryKey();

    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    void Open(RegistryRoot root, std::string_view path, uint32_t access);
    void Reopen(RegistryRoot root, std::string_view path);
    void Close();

    bool HasAnySubKey();
    // The name of subkey number index - 1; index becomes index + 1 when subkey
    // number index exists, else 0.
    std::string EnumSubKey(int& index);
    void Descend(std::string_view name);
    void Ascend();
    bool HasValue(std::string_view name);
    bool HasSubKey(std::string_view name);
    // Stores a REG_SZ value; any other type or a failed read leaves `out` as it was.
    void QueryString(std::string_view name, std::string& out);
    // Depth-first searches below the open key; `path` receives "\A\B" leading
    // from the open key to the key that holds the subkey (or the value).
    bool FindSubKey(std::string_view name, std::string& path);
    bool FindKeyWithValue(std::string_view name, std::string& path);

    // The open key and every key below it in the order the searches above
    // meet them, in one pass; false when no key is open.
    bool walkTree(std::string_view valueName,
                  const std::function<void(const platform::registry::WalkedKey&)>& visit) const;

    bool isOpen() const;
    RegistryRoot root() const { return root_; }
    const std::string& homePath() const { return homePath_; }
    const std::string& currentPath() const { return currentPath_; }

  private:
    bool searchDepthFirst(bool (RegistryKey::*holds)(std::string_view), std::string_view name,
                          std::string& path);

    RegistryRoot root_ = 0;
    std::string homePath_;
    platform::registry::KeyHandle key_;  // the open key, or null
    std::string currentPath_;
    uint32_t access_ = 0;
};

}  // namespace zelkora::probes
