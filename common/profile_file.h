#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkora::common {

class ProfileStore;

// One INI-style profile file: a path and a sticky current section. Values
// travel as text; integers are written "%d", reals "%g". Every write is
// visible at once to reads through any other ProfileFile of the same file.
class ProfileFile {
  public:
    // `programDirectory` set: the default file lies beside the program's
    // executable; clear: in the current working directory. Either way it is
    // named after the executable with the extension ".ini".
    explicit ProfileFile(bool programDirectory);
    virtual ~ProfileFile();

    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // An absolute path is used unchanged; any other name is put in the
    // program's directory, whatever the directory choice was.
    void setFile(std::string_view name);
    void setSection(std::string_view section);

    // A given section becomes the current one first and stays current.
    std::string getString(std::string_view key, std::string_view fallback = {},
                          std::optional<std::string_view> section = std::nullopt);
    int32_t getInteger(std::string_view key, int32_t fallback,
                       std::optional<std::string_view> section = std::nullopt);
    void writeString(std::string_view key, std::string_view value,
                     std::optional<std::string_view> section = std::nullopt);
    void writeInteger(std::string_view key, int32_t value,
                      std::optional<std::string_view> section = std::nullopt);
    void writeReal(std::string_view key, float value,
                   std::optional<std::string_view> section = std::nullopt);

    // Stores every value written to the file so far on disk now, instead of
    // when the file's last ProfileFile lets go. False when some value could
    // not be stored (a file or folder that refuses writing, a full disk): it
    // still reads back in this process, and the caller tells the user.
    bool flush();

    // The file's section names in file order.
    std::vector<std::string> sectionNames();

    // Why the file cannot be read (too large, not a regular file, broken
    // UTF-16, no permission); empty when it can be, or does not exist: a
    // missing file reads as empty.
    std::string readProblem();
    // Why the last flush failed ("No space left on device"); empty when it did not.
    std::string writeProblem();

    const std::string& path() const { return path_; }
    const std::string& section() const { return section_; }

  private:
    struct StoreRelease {
        void operator()(ProfileStore* store) const;
    };

    // The shared lines of the file, taken on first use after each setFile.
    ProfileStore& store();

    std::string path_;
    std::string section_;
    std::string readBuffer_;
    std::unique_ptr<ProfileStore, StoreRelease> store_;
};

// The folder of the running program's executable, with a trailing '/'.
std::string programDirectory();

}  // namespace zelkora::common
