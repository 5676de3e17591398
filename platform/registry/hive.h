#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelkora::platform::registry {

// A .reg file that could not be read; the message names the file, the line
// and the problem.
class RegFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Predefined root keys, numbered as Windows numbers them.
inline constexpr uint32_t kHKeyClassesRoot = 0x8000'0000;
inline constexpr uint32_t kHKeyCurrentUser = 0x8000'0001;
inline constexpr uint32_t kHKeyLocalMachine = 0x8000'0002;
inline constexpr uint32_t kHKeyUsers = 0x8000'0003;
inline constexpr uint32_t kHKeyCurrentConfig = 0x8000'0005;
inline constexpr uint32_t kHKeyDynData = 0x8000'0006;

// Value types; any other number is kept with its raw bytes.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

// Limits of the Windows registry, also used to refuse absurd input.
inline constexpr size_t kMaxKeyNameChars = 255;
inline constexpr size_t kMaxValueNameChars = 16383;
inline constexpr size_t kMaxKeyDepth = 512;

// Orders names as Windows NT orders subkeys: byte by byte after turning ASCII
// letters to upper case ("A_B" before "AB", "_" after "Z").
struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
bool sameName(std::string_view a, std::string_view b);
// Characters in UTF-8 text (bytes that do not continue a sequence).
size_t characterCount(std::string_view text);
// Why the registry cannot hold a key of this name, empty when it can: an
// empty name, a '\', a NUL (the registry calls pass names NUL-terminated,
// so such a key could be neither enumerated nor opened) or too many characters.
std::string keyNameProblem(std::string_view name);
// The names along a key path: '\' separates them, empty parts are skipped
// (a leading '\' or "A\\B"), so an empty path names the key itself.
std::vector<std::string_view> splitKeyPath(std::string_view path);

struct Value {
    std::string name;  // as first written
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;
};

// One key. Subkeys are held sorted by name without regard to case; a key that
// is removed from its parent stays alive for handles that still refer to it
// and reports itself deleted.
class Key : public std::enable_shared_from_this<Key> {
  public:
    explicit Key(std::string name, size_t depth = 0) : name_(std::move(name)), depth_(depth) {}

    const std::string& name() const { return name_; }
    // Levels below the root (a root key is 0).
    size_t depth() const { return depth_; }
    bool deleted() const { return deleted_; }

    size_t subKeyCount() const { return subKeys_.size(); }
    // Subkey number `index` in enumeration order, null past the end.
    std::shared_ptr<Key> subKeyAt(size_t index) const;
    // Every subkey in enumeration order; valid until the subkeys change.
    const std::vector<std::shared_ptr<Key>>& subKeys() const;
    // Length in bytes of the longest subkey name.
    size_t longestSubKeyName() const;
    std::shared_ptr<Key> findSubKey(std::string_view name) const;
    // The existing subkey of that name, or a new one. Throws
    // std::invalid_argument for a name the registry cannot hold.
    std::shared_ptr<Key> createSubKey(std::string_view name);
    bool removeSubKey(std::string_view name);

    size_t valueCount() const { return values_.size(); }
    const Value* findValue(std::string_view name) const;
    // Every value, ordered by name without regard to case.
    const std::map<std::string, Value, NameLess>& values() const { return values_; }
    void setValue(std::string_view name, uint32_t type, std::vector<uint8_t> data);
    bool removeValue(std::string_view name);

  private:
    void markDeleted();
    void refreshOrder() const;

    std::string name_;
    size_t depth_ = 0;
    bool deleted_ = false;
    std::map<std::string, std::shared_ptr<Key>, NameLess> subKeys_;
    std::map<std::string, Value, NameLess> values_;
    // Enumeration order by index, rebuilt after a change.
    mutable std::vector<std::shared_ptr<Key>> order_;
    mutable size_t longestName_ = 0;
    mutable bool orderStale_ = false;
};

// The registry stand-in: the keys and values of HKEY_LOCAL_MACHINE and the
// other predefined roots, held in memory. Nothing is ever written back.
class Hive {
  public:
    Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    // The root key for a predefined handle, null for an unknown one.
    std::shared_ptr<Key> root(uint32_t predefined) const;
    // The key at a path below a root ('\' separators, empty parts skipped),
    // null when it does not exist.
    std::shared_ptr<Key> find(uint32_t predefined, std::string_view path) const;
    // The key at a path, created with its parents where missing. Throws
    // std::invalid_argument for an unknown root or a path past the limits.
    std::shared_ptr<Key> create(uint32_t predefined, std::string_view path);

  private:
    std::map<uint32_t, std::shared_ptr<Key>> roots_;
};

// The predefined handle named in a .reg file ("HKEY_LOCAL_MACHINE", "HKLM"),
// 0 when the name is not one.
uint32_t rootByName(std::string_view name);

std::unique_ptr<Hive> emptyHive();
// A hive made of registry export files, merged in order. Throws RegFileError.
std::unique_ptr<Hive> loadRegFiles(const std::vector<std::filesystem::path>& files);
// A hive describing this Linux host (PCI devices from sysfs, names from pci.ids).
std::unique_ptr<Hive> buildLiveHive();

}  // namespace zelkora::platform::registry
