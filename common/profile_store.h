#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelkora::common {

// The lines of one profile file, shared by every ProfileFile of that file in
// this process. A report or a PCI save writes tens of thousands of keys; they
// all land here and the file is written once, when the last user lets go,
// through a temporary file and a rename so that a crash never leaves half a
// file behind. Untouched lines are written back byte for byte.
class ProfileStore {
  public:
    // Files larger than this are left alone: read as missing, never rewritten.
    static constexpr std::size_t kMaxFileBytes = 64u << 20;

    // The store of the file at `path` (made absolute and free of symbolic
    // links first), created on first use. Every acquire needs one release;
    // the last release writes the file if it changed and drops the store.
    static ProfileStore* acquire(std::string_view path);
    // False when this was the last user and the file could not be saved, or
    // when a write was refused because the file exists but cannot be read.
    static bool release(ProfileStore* store);
    // Creates the shared table of stores early, so that an object created
    // before any store never outlives it.
    static void prepare();

    explicit ProfileStore(std::string path);

    // The value of `key` in the first section named `section`, unquoted and
    // cut to `limit` characters; nullopt when the section or key is missing.
    std::optional<std::string> read(std::string_view section, std::string_view key,
                                    std::size_t limit);
    // Replaces the key's value in place or adds the key at the end of its
    // section, adding the section at the end of the file when missing.
    void write(std::string_view section, std::string_view key, std::string_view value);

    // Writes the file if anything changed since it was read. False when a
    // value written to this store was refused or could not be stored on disk.
    bool save();
    const std::string& path() const { return path_; }
    // The names of the file's sections, in file order, each once.
    std::vector<std::string> sectionNames();
    // Why the file cannot be read ("not a regular file", "Permission
    // denied", ...); empty when it was read or does not exist.
    std::string readProblem();
    // Why the last save, or a refused write, failed; empty when none did.
    std::string writeProblem();

  private:
    struct Section {
        bool hasHeader = false;
        std::vector<std::string> lines;  // the header line first, when there is one
        std::unordered_map<std::string, std::size_t> keys;  // folded key -> first line
        std::size_t contentEnd = 0;  // after the last entry; only blanks and comments follow
    };

    void loadOnce();
    void parse(std::string_view text);
    std::string lineText(std::string text) const;
    bool writeFile(std::string_view text) const;

    std::mutex mutex_;
    std::string path_;
    bool loaded_ = false;
    bool readOnly_ = false;
    bool dirty_ = false;
    // A value was dropped because the file may not be replaced.
    bool refused_ = false;
    std::string readProblem_;
    std::string writeProblem_;
    // The file is UTF-16LE with a byte-order mark: held here as UTF-8 and
    // written back as it came.
    bool utf16_ = false;
    // Added lines end as the file's first line does; a new file gets plain
    // "\n", this system's own line end (the reader takes both).
    bool crlf_ = false;
    std::vector<Section> sections_;  // [0] holds the lines before the first header
    std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded name -> first
    int users_ = 0;
    friend class ProfileStoreRegistry;
};

}  // namespace zelkora::common
