// Registry export files (.reg): "REGEDIT4" and "Windows Registry Editor
// Version 5.00", merged into a hive.
#include "platform/registry/reg_file.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "platform/registry/utf16.h"

namespace zelkora::platform::registry {

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trimFront(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view trimBack(std::string_view text) {
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view trim(std::string_view text) {
    return trimBack(trimFront(text));
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to `maxDigits` hexadecimal digits, nothing else.
std::optional<uint32_t> parseHex(std::string_view digits, size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameName(text.substr(0, prefix.size()), prefix);
}

std::string excerpt(std::string_view text) {
    constexpr size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown) shown += "...";
    return "\"" + shown + "\"";
}

// The text of a file as UTF-8 (or as the 8-bit bytes it holds).
std::string decodeText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return utf16leToUtf8(bytes.substr(2));
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    // UTF-16LE written without a mark: the header's first character has a zero high byte.
    if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') return utf16leToUtf8(bytes);
    return std::string(bytes);
}

class RegParser {
  public:
    RegParser(std::string text, std::string_view displayName, Hive& hive)
        : text_(std::move(text)), displayName_(displayName), hive_(hive) {}

    void run() {
        std::string_view line;
        bool headerSeen = false;
        while (nextLine(line)) {
            line = trim(line);
            if (!headerSeen) {
                if (line.empty()) continue;
                if (line == kHeader5) {
                    unicodeFile_ = true;
                } else if (line != kHeader4) {
                    fail("missing header: the file must begin with \"" + std::string(kHeader5) +
                         "\" or \"" + std::string(kHeader4) + "\"");
                }
                headerSeen = true;
                continue;
            }
            if (line.empty() || line.front() == ';') continue;
            if (line.front() == '[') {
                keyLine(line);
            } else if (line.front() == '"' || line.front() == '@') {
                valueLine(line);
            } else {
                fail("unrecognised line " + excerpt(line));
            }
        }
        if (!headerSeen) {
            lineNumber_ = 1;
            fail("missing header: the file is empty");
        }
    }

  private:
    [[noreturn]] void fail(const std::string& problem) const {
        std::ostringstream message;
        message << displayName_ << ':' << lineNumber_ << ": " << problem;
        throw RegFileError(message.str());
    }

    bool nextLine(std::string_view& line) {
        if (position_ >= text_.size()) return false;
        const size_t end = text_.find('\n', position_);
        const size_t stop = end == std::string::npos ? text_.size() : end;
        line = std::string_view(text_).substr(position_, stop - position_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        position_ = end == std::string::npos ? text_.size() : end + 1;
        ++lineNumber_;
        return true;
    }

    void keyLine(std::string_view line) {
        const size_t close = line.rfind(']');
        if (close == std::string_view::npos) fail("key name without a closing ']'");
        if (!trim(line.substr(close + 1)).empty()) fail("unexpected text after ']'");
        std::string_view path = line.substr(1, close - 1);
        const bool remove = path.starts_with('-');
        if (remove) path.remove_prefix(1);

        const size_t cut = path.find('\\');
        const std::string_view rootName = path.substr(0, cut);
        const std::string_view below =
            cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
        const uint32_t root = rootByName(rootName);
        if (root == 0) fail("unknown root key " + excerpt(rootName));

        current_.reset();
        keySeen_ = true;
        if (remove) {
            const auto parts = splitKeyPath(below);
            if (parts.empty()) fail("a root key cannot be deleted");
            std::shared_ptr<Key> parent = hive_.root(root);
            for (size_t i = 0; parent && i + 1 < parts.size(); ++i) {
                parent = parent->findSubKey(parts[i]);
            }
            if (parent) parent->removeSubKey(parts.back());
            // Values listed under a deleted key are ignored, as regedit does.
            return;
        }
        try {
            current_ = hive_.create(root, below);
        } catch (const std::invalid_argument& problem) {
            fail(problem.what());
        }
    }

    // A string in double quotes starting at `at`, with \\ and \" escapes;
    // other backslashes stand for themselves.
    std::optional<std::string> readQuoted(std::string_view line, size_t& at) const {
        std::string text;
        for (++at; at < line.size(); ++at) {
            const char c = line[at];
            if (c == '"') {
                ++at;
                return text;
            }
            if (c == '\\' && at + 1 < line.size() &&
                (line[at + 1] == '\\' || line[at + 1] == '"')) {
                ++at;
            }
            text.push_back(line[at]);
        }
        return std::nullopt;
    }

    void valueLine(std::string_view line) {
        size_t at = 0;
        std::string name;
        if (line.front() == '@') {
            at = 1;
        } else {
            auto read = readQuoted(line, at);
            if (!read) fail("value name without a closing '\"'");
            name = std::move(*read);
            if (characterCount(name) > kMaxValueNameChars) {
                fail("value name longer than " + std::to_string(kMaxValueNameChars) +
                     " characters");
            }
        }
        std::string_view rest = trimFront(line.substr(at));
        if (!rest.starts_with('=')) fail("expected '=' after the value name");
        rest = trimFront(rest.substr(1));
        // The position of the data inside `line`, for the string reader.
        const size_t dataAt = line.size() - rest.size();

        if (rest.starts_with('"')) {
            size_t end = dataAt;
            auto text = readQuoted(line, end);
            if (!text) fail("string value without a closing '\"'");
            if (!trim(line.substr(end)).empty()) fail("unexpected text after the string value");
            std::vector<uint8_t> data(text->begin(), text->end());
            data.push_back(0);
            store(name, kRegSz, std::move(data));
        } else if (trimBack(rest) == "-") {
            if (current_)
                current_->removeValue(name);
            else if (!inDeletedKey())
                fail("value outside a key");
        } else if (startsWithNoCase(rest, "dword:")) {
            const auto number = parseHex(trimBack(rest.substr(6)), 8);
            if (!number) fail("bad dword value " + excerpt(rest.substr(6)));
            std::vector<uint8_t> data(4);
            for (size_t i = 0; i < 4; ++i)
                data[i] = static_cast<uint8_t>(*number >> (8 * i));
            store(name, kRegDword, std::move(data));
        } else if (startsWithNoCase(rest, "hex")) {
            hexValue(name, rest.substr(3));
        } else {
            fail("unrecognised value data " + excerpt(rest));
        }
    }

    // After "hex": an optional "(type)", a ':' and comma-separated bytes that
    // may run on over lines ending in '\'.
    void hexValue(const std::string& name, std::string_view rest) {
        uint32_t type = kRegBinary;
        if (rest.starts_with('(')) {
            const size_t close = rest.find(')');
            const auto number = close == std::string_view::npos
                                    ? std::nullopt
                                    : parseHex(trim(rest.substr(1, close - 1)), 8);
            if (!number) fail("bad value type in " + excerpt("hex" + std::string(rest)));
            type = *number;
            rest.remove_prefix(close + 1);
        }
        if (!rest.starts_with(':')) fail("expected ':' after hex");
        rest.remove_prefix(1);

        std::vector<uint8_t> data;
        for (;;) {
            std::string_view piece = trimBack(rest);
            const bool continues = piece.ends_with('\\');
            if (continues) piece.remove_suffix(1);
            hexBytes(piece, data);
            if (!continues || !nextLine(rest)) break;
        }
        if (unicodeFile_ && (type == kRegSz || type == kRegExpandSz || type == kRegMultiSz)) {
            // Unicode exports hold strings as UTF-16LE; the program reads 8-bit text.
            const std::string text = utf16leToUtf8(
                std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
            data.assign(text.begin(), text.end());
        }
        store(name, type, std::move(data));
    }

    void hexBytes(std::string_view piece, std::vector<uint8_t>& data) {
        piece = trim(piece);
        while (!piece.empty()) {
            const size_t comma = piece.find(',');
            const std::string_view token = trim(piece.substr(0, comma));
            const auto byte = parseHex(token, 2);
            if (!byte)
                fail(token.empty() ? "empty byte in a hex list" : "bad hex byte " + excerpt(token));
            data.push_back(static_cast<uint8_t>(*byte));
            if (comma == std::string_view::npos) break;
            piece = trimFront(piece.substr(comma + 1));
        }
    }

    bool inDeletedKey() const { return keySeen_ && !current_; }

    void store(const std::string& name, uint32_t type, std::vector<uint8_t> data) {
        if (current_) {
            current_->setValue(name, type, std::move(data));
        } else if (!inDeletedKey()) {
            fail("value outside a key");
        }
    }

    std::string text_;
    std::string_view displayName_;
    Hive& hive_;
    size_t position_ = 0;
    size_t lineNumber_ = 0;
    bool unicodeFile_ = false;
    bool keySeen_ = false;
    std::shared_ptr<Key> current_;
};

}  // namespace

void parseRegText(std::string_view bytes, std::string_view displayName, Hive& hive) {
    if (bytes.size() > kMaxRegFileBytes) {
        throw RegFileError(std::string(displayName) + ":1: the file is larger than " +
                           std::to_string(kMaxRegFileBytes >> 20) + " MiB");
    }
    if (bytes.starts_with("\xFE\xFF")) {
        throw RegFileError(std::string(displayName) +
                           ":1: UTF-16 big-endian text is not supported (export as UTF-16LE)");
    }
    RegParser(decodeText(bytes), displayName, hive).run();
}

std::unique_ptr<Hive> loadRegFiles(const std::vector<std::filesystem::path>& files) {
    auto hive = emptyHive();
    for (const auto& file : files) {
        const std::string name = file.string();
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        if (error) throw RegFileError(name + ":1: cannot be read (" + error.message() + ")");
        if (size > kMaxRegFileBytes) {
            throw RegFileError(name + ":1: the file is larger than " +
                               std::to_string(kMaxRegFileBytes >> 20) + " MiB");
        }
        std::ifstream in(file, std::ios::binary);
        std::string bytes(static_cast<size_t>(size), '\0');
        if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
            throw RegFileError(name + ":1: cannot be read");
        }
        parseRegText(bytes, name, *hive);
    }
    return hive;
}

}  // namespace zelkora::platform::registry
