#include "common/profile_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "common/profile_line.h"

namespace zelkora::common {

namespace {

// Callers hand over C-style texts: a NUL ends them. A line break inside a
// name or value would split the line and plant keys or sections that the
// caller never wrote, so breaks become blanks.
std::string sanitized(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::string result(text);
    std::replace_if(
        result.begin(), result.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return result;
}

std::string normalizedName(std::string_view name) {
    return std::string(trimProfileBlanks(sanitized(name)));
}

// A key that would not read back as a key of its section.
bool isUnwritableKey(std::string_view key) {
    return key.find('=') != std::string_view::npos ||
           (!key.empty() && (key.front() == '[' || key.front() == ';'));
}

std::string canonicalPath(std::string_view path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), error);
    if (error) return std::string(path);
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal().string() : canonical.string();
}

enum class ReadOutcome { Read, Missing, Refused };

// Reads a regular file of bounded size; on refusal `reason` says why. Opening
// does not block, so a FIFO or a device under the name never hangs the caller.
ReadOutcome readWholeFile(const std::string& path, std::string& text, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return ReadOutcome::Missing;
        reason = std::strerror(errno);
        return ReadOutcome::Refused;
    }
    struct stat info {};
    ReadOutcome outcome = ReadOutcome::Refused;
    if (::fstat(fd, &info) != 0) {
        reason = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        reason = "not a regular file";
    } else if (static_cast<std::size_t>(info.st_size) > ProfileStore::kMaxFileBytes) {
        reason = "larger than " + std::to_string(ProfileStore::kMaxFileBytes >> 20) + " MiB";
    } else {
        text.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        outcome = ReadOutcome::Read;
        while (done < text.size()) {
            const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                reason = std::strerror(errno);
                outcome = ReadOutcome::Refused;
                break;
            }
            if (got == 0) break;  // the file shrank meanwhile
            done += static_cast<std::size_t>(got);
        }
        text.resize(done);
    }
    ::close(fd);
    return outcome;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

constexpr std::string_view kUtf16ByteOrderMark = "\xFF\xFE";

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Length of the well-formed UTF-8 sequence at the start of `text`, 0 when
// there is none (a stray byte, an overlong form, a surrogate).
std::size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0 || text.size() < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
    }
    return length;
}

// UTF-16LE text after its byte-order mark as UTF-8. A lone unit DC80h-DCFFh
// stands for the byte 80h-FFh that it carries, so that a caller's text that
// is not UTF-8 is written and read back unchanged. Nullopt for any other
// ill-formed text.
std::optional<std::string> utf16ToUtf8(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i) -> char32_t {
        return static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8;
    };
    std::string text;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t first = unit(i);
        if (first >= 0xDC80 && first <= 0xDCFF) {
            text += static_cast<char>(first - 0xDC00);
            continue;
        }
        if (first >= 0xDC00 && first <= 0xDFFF) return std::nullopt;
        if (first < 0xD800 || first > 0xDBFF) {
            appendUtf8(text, first);
            continue;
        }
        if (i + 1 == units) return std::nullopt;
        const char32_t second = unit(++i);
        if (second < 0xDC00 || second > 0xDFFF) return std::nullopt;
        appendUtf8(text, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
    }
    return text;
}

// UTF-8 as UTF-16LE after a byte-order mark; the inverse of utf16ToUtf8.
std::string utf8ToUtf16(std::string_view text) {
    std::string bytes(kUtf16ByteOrderMark);
    bytes.reserve(2 + 2 * text.size());
    const auto put = [&](char32_t unit) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8 & 0xFF);
    };
    while (!text.empty()) {
        const std::size_t length = utf8SequenceLength(text);
        if (length == 0) {
            put(0xDC00 + static_cast<uint8_t>(text[0]));
            text.remove_prefix(1);
            continue;
        }
        char32_t code = static_cast<uint8_t>(text[0]) & (length == 1 ? 0x7F : 0x7F >> length);
        for (std::size_t i = 1; i < length; ++i)
            code = code << 6 | (static_cast<uint8_t>(text[i]) & 0x3F);
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
        text.remove_prefix(length);
    }
    return bytes;
}

// Writes `text` to a new file beside `path` and renames it over `path`, so
// that a crash never leaves half a file. False, with nothing left behind,
// when the folder refuses the new file or the rename.
bool replaceFile(const std::string& path, std::string_view text, const struct stat* existing) {
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = path + "." + std::to_string(::getpid()) + "." +
                    std::to_string(counter.fetch_add(1)) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool written = writeAll(fd, text);
    if (written && existing) written = ::fchmod(fd, existing->st_mode & 07777) == 0;
    if (written) written = ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (written) written = ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) ::unlink(temporary.c_str());
    return written;
}

// Overwrites the file itself: for a file we may write in a folder that
// takes no new files.
bool writeInPlace(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info {};
    bool written = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && writeAll(fd, text) &&
                   ::ftruncate(fd, static_cast<off_t>(text.size())) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    return written;
}

}  // namespace

// The stores in use, by canonical path. A store lives while at least one
// ProfileFile uses it; the last release saves it under the table's lock, so
// an object that opens the file right after sees the saved bytes.
class ProfileStoreRegistry {
  public:
    static ProfileStoreRegistry& instance() {
        static ProfileStoreRegistry registry;
        return registry;
    }

    ProfileStore* acquire(std::string_view path) {
        std::string key = canonicalPath(path);
        const std::lock_guard lock(mutex_);
        auto [slot, inserted] = stores_.try_emplace(key);
        if (inserted) slot->second = std::make_unique<ProfileStore>(key);
        ++slot->second->users_;
        return slot->second.get();
    }

    bool release(ProfileStore* store) {
        const std::lock_guard lock(mutex_);
        if (--store->users_ > 0) return !store->refused_;
        const std::string path = store->path();
        const bool saved = store->save();
        stores_.erase(path);
        return saved;
    }

  private:
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<ProfileStore>, std::less<>> stores_;
};

ProfileStore* ProfileStore::acquire(std::string_view path) {
    return ProfileStoreRegistry::instance().acquire(path);
}

bool ProfileStore::release(ProfileStore* store) {
    return ProfileStoreRegistry::instance().release(store);
}

void ProfileStore::prepare() {
    ProfileStoreRegistry::instance();
}

ProfileStore::ProfileStore(std::string path) : path_(std::move(path)) {}

void ProfileStore::loadOnce() {
    if (loaded_) return;
    loaded_ = true;
    std::string text;
    const ReadOutcome outcome = readWholeFile(path_, text, readProblem_);
    // A file that exists but cannot be read is never replaced by our keys.
    readOnly_ = outcome == ReadOutcome::Refused;
    if (outcome == ReadOutcome::Read && text.starts_with(kUtf16ByteOrderMark)) {
        if (std::optional<std::string> decoded = utf16ToUtf8(std::string_view(text).substr(2))) {
            utf16_ = true;
            text = std::move(*decoded);
        } else {
            // Marked UTF-16 but not well-formed: read as bytes, but never
            // rewritten, since neither reading would come back as it was.
            readOnly_ = true;
            readProblem_ = "marked as UTF-16 but not well-formed UTF-16";
        }
    }
    parse(outcome == ReadOutcome::Read ? std::string_view(text) : std::string_view());
}

void ProfileStore::parse(std::string_view text) {
    sections_.assign(1, Section{});
    sectionIndex_.clear();
    const std::size_t firstBreak = text.find('\n');
    crlf_ = firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r';

    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    bool firstLine = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

        std::string_view content = raw;
        if (firstLine && content.starts_with(kByteOrderMark)) {
            content.remove_prefix(kByteOrderMark.size());
        }
        firstLine = false;
        const ProfileLine line = parseProfileLine(content);
        if (line.kind == ProfileLineKind::Section) {
            Section section;
            section.hasHeader = true;
            section.contentEnd = 1;
            sectionIndex_.try_emplace(foldProfileName(line.name), sections_.size());
            sections_.push_back(std::move(section));
        }
        Section& current = sections_.back();
        if (line.kind != ProfileLineKind::Section) {
            if (line.kind == ProfileLineKind::Entry && current.hasHeader) {
                current.keys.try_emplace(foldProfileName(line.name), current.lines.size());
            }
            if (line.kind == ProfileLineKind::Entry || line.kind == ProfileLineKind::Junk) {
                current.contentEnd = current.lines.size() + 1;
            }
        }
        current.lines.emplace_back(raw);
    }
}

std::string ProfileStore::lineText(std::string text) const {
    if (crlf_) text += '\r';
    return text;
}

std::optional<std::string> ProfileStore::read(std::string_view section, std::string_view key,
                                              std::size_t limit) {
    const std::lock_guard lock(mutex_);
    loadOnce();
    const auto found = sectionIndex_.find(foldProfileName(normalizedName(section)));
    if (found == sectionIndex_.end()) return std::nullopt;
    const Section& owner = sections_[found->second];
    const auto entry = owner.keys.find(foldProfileName(normalizedName(key)));
    if (entry == owner.keys.end()) return std::nullopt;
    const std::string_view value =
        unquoteProfileValue(parseProfileLine(owner.lines[entry->second]).value);
    return std::string(value.substr(0, limit));
}

void ProfileStore::write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string sectionName = normalizedName(section);
    const std::string keyName = normalizedName(key);
    if (isUnwritableKey(keyName)) return;
    std::string valueText = sanitized(value);
    // Blanks before a value never read back; drop them as the line is made.
    valueText.erase(valueText.begin(),
                    std::find_if_not(valueText.begin(), valueText.end(), isProfileBlank));

    const std::lock_guard lock(mutex_);
    loadOnce();
    if (readOnly_) {
        refused_ = true;
        return;
    }

    const std::string foldedSection = foldProfileName(sectionName);
    auto found = sectionIndex_.find(foldedSection);
    if (found == sectionIndex_.end()) {
        // Sections of a new file follow in the order they were written, one
        // blank line between them.
        Section& last = sections_.back();
        if (!last.lines.empty() &&
            parseProfileLine(last.lines.back()).kind != ProfileLineKind::Blank) {
            last.lines.push_back(lineText({}));
        }
        Section added;
        added.hasHeader = true;
        added.lines.push_back(lineText("[" + sectionName + "]"));
        added.contentEnd = 1;
        found = sectionIndex_.emplace(foldedSection, sections_.size()).first;
        sections_.push_back(std::move(added));
    }

    Section& owner = sections_[found->second];
    const std::string foldedKey = foldProfileName(keyName);
    if (const auto entry = owner.keys.find(foldedKey); entry != owner.keys.end()) {
        // The key keeps its spelling in the file; only the value changes.
        std::string& existing = owner.lines[entry->second];
        std::string line = lineText(std::string(parseProfileLine(existing).name) + "=" + valueText);
        if (existing == line) return;
        existing = std::move(line);
    } else {
        // Only blank lines and comments lie past contentEnd, so no indexed
        // line moves.
        const auto at = owner.lines.begin() + static_cast<std::ptrdiff_t>(owner.contentEnd);
        owner.lines.insert(at, lineText(keyName + "=" + valueText));
        owner.keys.emplace(foldedKey, owner.contentEnd);
        ++owner.contentEnd;
    }
    dirty_ = true;
}

bool ProfileStore::save() {
    const std::lock_guard lock(mutex_);
    if (!dirty_ || readOnly_) return !refused_;
    std::size_t size = 0;
    for (const Section& section : sections_) {
        for (const std::string& line : section.lines)
            size += line.size() + 1;
    }
    std::string text;
    text.reserve(size);
    for (const Section& section : sections_) {
        for (const std::string& line : section.lines) {
            text += line;
            text += '\n';
        }
    }
    if (utf16_) text = utf8ToUtf16(text);
    // A failed write stays pending: a later save tries again.
    if (writeFile(text)) {
        dirty_ = false;
    } else {
        writeProblem_ = std::strerror(errno);
    }
    return !dirty_ && !refused_;
}

std::vector<std::string> ProfileStore::sectionNames() {
    const std::lock_guard lock(mutex_);
    loadOnce();
    // The index holds the first section of each name; file order is index order.
    std::vector<std::size_t> first;
    for (const auto& entry : sectionIndex_)
        first.push_back(entry.second);
    std::sort(first.begin(), first.end());
    std::vector<std::string> names;
    for (const std::size_t index : first)
        names.emplace_back(parseProfileLine(sections_[index].lines.front()).name);
    return names;
}

std::string ProfileStore::readProblem() {
    const std::lock_guard lock(mutex_);
    loadOnce();
    return readProblem_;
}

std::string ProfileStore::writeProblem() {
    const std::lock_guard lock(mutex_);
    if (refused_ && !readProblem_.empty()) return readProblem_;
    return writeProblem_;
}

bool ProfileStore::writeFile(std::string_view text) const {
    // A file that we may not write stays as it is, as with a read-only file
    // on any system; replacing it by rename would get round its protection.
    struct stat existing {};
    const bool exists = ::stat(path_.c_str(), &existing) == 0;
    if (exists && ::access(path_.c_str(), W_OK) != 0) return false;
    if (replaceFile(path_, text, exists ? &existing : nullptr)) return true;
    // The folder takes no new file (no write permission, a name at the
    // length limit) or refuses the rename: the file itself may still be
    // writable, and its values must not be lost.
    const int replaceError = errno;
    if (exists && writeInPlace(path_, text)) return true;
    errno = replaceError;  // why the file could not be made says most
    return false;
}

}  // namespace zelkora::common
