#include "common/profile_file.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <limits>

#include "common/profile_store.h"

namespace zelkora::common {

namespace {

// Values are read through a buffer of 256 characters with its terminator.
constexpr std::size_t kReadLimit = 255;

std::string executablePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

// The executable's file name without its extension.
std::string programBaseName() {
    const std::string path = executablePath();
    std::string name = path.substr(path.rfind('/') + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
    return name;
}

std::string workingDirectory() {
    std::error_code error;
    std::string directory = std::filesystem::current_path(error).string();
    if (error) return "./";
    while (!directory.empty() && directory.back() == '/')
        directory.pop_back();
    return directory + '/';
}

bool isCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The decimal number at the start of the text, as atoi reads it; values out
// of range stop at the nearest 32-bit limit.
int32_t leadingInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isCSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = std::min(magnitude * 10 + (text[at] - '0'), kLimit);
    }
    if (negative) return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min(magnitude, kLimit - 1));
}

}  // namespace

std::string programDirectory() {
    const std::string path = executablePath();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

void ProfileFile::StoreRelease::operator()(ProfileStore* store) const {
    ProfileStore::release(store);
}

ProfileFile::ProfileFile(bool programDirectory)
    : path_((programDirectory ? common::programDirectory() : workingDirectory()) +
            programBaseName() + ".ini"),
      section_(programBaseName()) {
    ProfileStore::prepare();
}

ProfileFile::~ProfileFile() = default;

void ProfileFile::setFile(std::string_view name) {
    // Letting go of the old file here saves it if this was its last user.
    store_.reset();
    path_ = name.starts_with('/') ? std::string(name) : programDirectory() + std::string(name);
}

void ProfileFile::setSection(std::string_view section) {
    section_ = section;
}

ProfileStore& ProfileFile::store() {
    if (!store_) store_.reset(ProfileStore::acquire(path_));
    return *store_;
}

bool ProfileFile::flush() {
    return !store_ || store_->save();
}

std::vector<std::string> ProfileFile::sectionNames() {
    return store().sectionNames();
}

std::string ProfileFile::readProblem() {
    return store().readProblem();
}

std::string ProfileFile::writeProblem() {
    return store_ ? store_->writeProblem() : std::string();
}

std::string ProfileFile::getString(std::string_view key, std::string_view fallback,
                                   std::optional<std::string_view> section) {
    if (section) section_ = *section;
    std::optional<std::string> value = store().read(section_, key, kReadLimit);
    readBuffer_ = value ? std::move(*value) : std::string(fallback.substr(0, kReadLimit));
    return readBuffer_;
}

int32_t ProfileFile::getInteger(std::string_view key, int32_t fallback,
                                std::optional<std::string_view> section) {
    return leadingInteger(getString(key, std::to_string(fallback), section));
}

void ProfileFile::writeString(std::string_view key, std::string_view value,
                              std::optional<std::string_view> section) {
    if (section) section_ = *section;
    store().write(section_, key, value);
}

void ProfileFile::writeInteger(std::string_view key, int32_t value,
                               std::optional<std::string_view> section) {
    writeString(key, std::to_string(value), section);
}

void ProfileFile::writeReal(std::string_view key, float value,
                            std::optional<std::string_view> section) {
    // "%g" with its six significant digits, free of the locale's decimal comma.
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(),
                                      static_cast<double>(value), std::chars_format::general, 6);
    writeString(key, std::string_view(text.data(), result.ptr), section);
}

}  // namespace zelkora::common
