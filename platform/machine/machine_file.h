#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace zelkora::platform::machine {

// A machine description that could not be used. The message names the file,
// the field (or line) and what was wrong with it.
class MachineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A parsed machine description file (JSON).
class MachineFile {
  public:
    MachineFile();
    ~MachineFile();
    MachineFile(const MachineFile&) = delete;
    MachineFile& operator=(const MachineFile&) = delete;

    // Throws MachineError for a missing or malformed file.
    static std::shared_ptr<const MachineFile> load(const std::filesystem::path& path);
    // For tests and fuzzing: a description held in memory. Relative file
    // names in it resolve against `directory`.
    static std::shared_ptr<const MachineFile> parse(std::string_view text,
                                                    std::filesystem::path displayName,
                                                    std::filesystem::path directory);

    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& directory() const { return directory_; }
    const nlohmann::json& root() const { return *root_; }

  private:
    std::filesystem::path path_;
    std::filesystem::path directory_;
    // Held apart so that this header needs only the JSON library's forward
    // declarations.
    std::unique_ptr<nlohmann::json> root_;
};

// A value inside a machine description, with its dotted path for messages
// ("pci.functions[3].config"). Every accessor checks the type and range and
// throws MachineError naming the file and the field.
class Field {
  public:
    Field(const MachineFile& file, const nlohmann::json& value, std::string path);

    const std::string& path() const { return path_; }
    const nlohmann::json& json() const { return *value_; }
    const MachineFile& file() const { return *file_; }

    bool has(std::string_view key) const;
    Field operator[](std::string_view key) const;               // required member
    std::optional<Field> optional(std::string_view key) const;  // absent or null -> nullopt
    size_t size() const;                                        // array length
    Field at(size_t index) const;                               // array element
    std::vector<std::string> keys() const;                      // object member names

    bool isNull() const;
    bool isString() const;
    bool isArray() const;
    bool isObject() const;

    std::string string() const;
    bool boolean() const;
    // A JSON integer, or a string of hexadecimal digits with a 0x prefix or an
    // h suffix ("0x1F", "1Fh"), at most `maximum`.
    uint64_t number(uint64_t maximum = UINT64_MAX) const;
    // A string of hexadecimal digit pairs (blanks, newlines and colons between
    // pairs allowed), at most `maximumBytes` long.
    std::vector<uint8_t> hexBlob(size_t maximumBytes) const;
    // A file named relative to the machine file.
    std::filesystem::path filePath() const;
    // The file named relative to the machine file (as filePath() would
    // resolve it), as a name for messages: relative names stay relative.
    std::string fileDisplayName() const;
    // The contents of the named file. Only a regular file of at most
    // `maximumBytes` is read; a folder, FIFO, device or larger file is refused
    // before anything is read.
    std::string readFile(size_t maximumBytes) const;
    // Refuses any member of this object not in `known`, naming it and the
    // nearest known name where one is close (a misspelling).
    void expectKeys(std::initializer_list<std::string_view> known) const;

    // Helpers with defaults.
    std::string stringOr(std::string_view key, std::string_view fallback) const;
    uint64_t numberOr(std::string_view key, uint64_t fallback, uint64_t maximum = UINT64_MAX) const;
    bool booleanOr(std::string_view key, bool fallback) const;

    [[noreturn]] void fail(std::string_view problem) const;

  private:
    const MachineFile* file_;
    const nlohmann::json* value_;
    std::string path_;
};

// The root of a machine file as a Field.
Field rootField(const MachineFile& file);

// Refuses a top-level member that is no section of the format.
void expectTopLevelKeys(const Field& root);

// The contents of a regular file of at most `maximumBytes`; otherwise
// nothing, and `problem` says why ("is a folder, not a file", ...).
std::optional<std::string> readRegularFile(const std::filesystem::path& path, size_t maximumBytes,
                                           std::string& problem);

// The machine files themselves are never larger than this.
inline constexpr size_t kMaxMachineFileBytes = 16u << 20;

}  // namespace zelkora::platform::machine
