#include "platform/machine/machine_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

namespace zelkora::platform::machine {

namespace {

std::string displayPath(const std::filesystem::path& path) {
    return path.string();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string sizeText(size_t bytes) {
    if (bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

// Edits (insert, delete, replace) between two names, ignoring ASCII case.
size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            const size_t next = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = row[j];
            row[j] = next;
        }
    }
    return row[b.size()];
}

// Where the first NUL byte stands, as "line L, column C".
std::string positionOf(std::string_view text, size_t offset) {
    const auto before = text.substr(0, offset);
    const size_t line = 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
    const size_t lineStart = before.rfind('\n');
    const size_t column = lineStart == std::string_view::npos ? offset + 1 : offset - lineStart;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

std::optional<std::string> readRegularFile(const std::filesystem::path& path, size_t maximumBytes,
                                           std::string& problem) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || status.type() == std::filesystem::file_type::not_found) {
        problem = status.type() == std::filesystem::file_type::not_found
                      ? "no such file"
                      : "it cannot be examined (" + error.message() + ")";
        return std::nullopt;
    }
    // Checked before opening: opening a FIFO would wait for a writer, and a
    // device such as /dev/zero never ends.
    if (status.type() == std::filesystem::file_type::directory) {
        problem = "it is a folder, not a file";
        return std::nullopt;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        problem = "it is not a regular file (a FIFO, socket or device)";
        return std::nullopt;
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        problem = "it cannot be examined (" + error.message() + ")";
        return std::nullopt;
    }
    if (size > maximumBytes) {
        problem = "it is larger than " + sizeText(maximumBytes);
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = std::string("it cannot be opened (") + std::strerror(errno) + ")";
        return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (in.bad()) {
        problem = "it cannot be read";
        return std::nullopt;
    }
    return bytes;
}

MachineFile::MachineFile() : root_(std::make_unique<nlohmann::json>()) {}

MachineFile::~MachineFile() = default;

std::shared_ptr<const MachineFile> MachineFile::load(const std::filesystem::path& path) {
    std::string problem;
    const auto text = readRegularFile(path, kMaxMachineFileBytes, problem);
    if (!text) throw MachineError(displayPath(path) + ": cannot open the machine file: " + problem);
    auto directory = path.parent_path();
    if (directory.empty()) directory = ".";
    return parse(*text, path, directory);
}

std::shared_ptr<const MachineFile> MachineFile::parse(std::string_view text,
                                                      std::filesystem::path displayName,
                                                      std::filesystem::path directory) {
    auto file = std::make_shared<MachineFile>();
    file->path_ = std::move(displayName);
    file->directory_ = std::move(directory);
    // The JSON reader takes a NUL byte for the end of the text and would
    // silently drop what follows it.
    if (const size_t nul = text.find('\0'); nul != std::string_view::npos) {
        throw MachineError(displayPath(file->path_) + ": holds a NUL byte at " +
                           positionOf(text, nul) + " (JSON is UTF-8 text)");
    }
    try {
        *file->root_ = nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& error) {
        // The library's message carries the line and column of the fault.
        std::string what = error.what();
        const auto colon = what.find("parse error");
        throw MachineError(displayPath(file->path_) + ": not valid JSON: " +
                           (colon == std::string::npos ? what : what.substr(colon)));
    }
    if (!file->root_->is_object()) {
        throw MachineError(displayPath(file->path_) + ": the top level must be a JSON object");
    }
    return file;
}

Field rootField(const MachineFile& file) {
    return Field(file, file.root(), "");
}

Field::Field(const MachineFile& file, const nlohmann::json& value, std::string path)
    : file_(&file), value_(&value), path_(std::move(path)) {}

bool Field::isNull() const {
    return value_->is_null();
}

bool Field::isString() const {
    return value_->is_string();
}

bool Field::isArray() const {
    return value_->is_array();
}

bool Field::isObject() const {
    return value_->is_object();
}

void Field::fail(std::string_view problem) const {
    std::string message = displayPath(file_->path()) + ": ";
    if (!path_.empty()) message += path_ + ": ";
    message += problem;
    throw MachineError(message);
}

bool Field::has(std::string_view key) const {
    return value_->is_object() && value_->contains(key) && !(*value_)[std::string(key)].is_null();
}

Field Field::operator[](std::string_view key) const {
    if (!value_->is_object()) fail("must be an object");
    const std::string childPath = path_.empty() ? std::string(key) : path_ + "." + std::string(key);
    auto it = value_->find(key);
    if (it == value_->end() || it->is_null()) {
        Field(*file_, *value_, childPath).fail("is missing");
    }
    return Field(*file_, *it, childPath);
}

std::optional<Field> Field::optional(std::string_view key) const {
    if (!value_->is_object()) fail("must be an object");
    if (!has(key)) return std::nullopt;
    return (*this)[key];
}

size_t Field::size() const {
    if (!value_->is_array()) fail("must be an array");
    return value_->size();
}

Field Field::at(size_t index) const {
    if (!value_->is_array()) fail("must be an array");
    if (index >= value_->size()) fail("has no element " + std::to_string(index));
    return Field(*file_, (*value_)[index], path_ + "[" + std::to_string(index) + "]");
}

std::vector<std::string> Field::keys() const {
    if (!value_->is_object()) fail("must be an object");
    std::vector<std::string> names;
    for (auto it = value_->begin(); it != value_->end(); ++it)
        names.push_back(it.key());
    return names;
}

std::string Field::string() const {
    if (!value_->is_string()) fail("must be a string");
    return value_->get<std::string>();
}

bool Field::boolean() const {
    if (!value_->is_boolean()) fail("must be true or false");
    return value_->get<bool>();
}

uint64_t Field::number(uint64_t maximum) const {
    uint64_t result = 0;
    if (value_->is_number_unsigned()) {
        result = value_->get<uint64_t>();
    } else if (value_->is_number_integer()) {
        const int64_t signedValue = value_->get<int64_t>();
        if (signedValue < 0) fail("must not be negative");
        result = static_cast<uint64_t>(signedValue);
    } else if (value_->is_string()) {
        std::string text = value_->get<std::string>();
        std::string digits;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            digits = text.substr(2);
        } else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
            digits = text.substr(0, text.size() - 1);
        } else {
            fail("must be a number, or hexadecimal written as \"0x1F\" or \"1Fh\" (got \"" + text +
                 "\")");
        }
        if (digits.empty() || digits.size() > 16) fail("is not a valid hexadecimal number");
        for (char c : digits) {
            const int digit = hexDigit(c);
            if (digit < 0) fail("is not a valid hexadecimal number: \"" + text + "\"");
            result = result * 16 + static_cast<uint64_t>(digit);
        }
    } else {
        fail("must be a number");
    }
    if (result > maximum) {
        std::ostringstream message;
        message << "is too large (" << result << ", at most " << maximum << ")";
        fail(message.str());
    }
    return result;
}

std::vector<uint8_t> Field::hexBlob(size_t maximumBytes) const {
    const std::string text = string();
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == ':' || c == '-') {
            if (high >= 0) fail("a hexadecimal byte is split by a separator");
            continue;
        }
        const int digit = hexDigit(c);
        if (digit < 0)
            fail(std::string("holds a character that is not a hexadecimal digit: '") + c + "'");
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
            high = -1;
            if (bytes.size() > maximumBytes) {
                fail("is too long (at most " + std::to_string(maximumBytes) + " bytes)");
            }
        }
    }
    if (high >= 0) fail("has an odd number of hexadecimal digits");
    return bytes;
}

std::filesystem::path Field::filePath() const {
    std::filesystem::path name = string();
    if (name.empty()) fail("must name a file");
    // Absolute, so that a machine named by a relative path still finds its
    // files whatever folder a later open starts from.
    std::error_code error;
    const auto path = name.is_absolute() ? name : file_->directory() / name;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}

std::string Field::fileDisplayName() const {
    const std::filesystem::path name = string();
    if (name.empty()) fail("must name a file");
    return (name.is_absolute() ? name : file_->directory() / name).lexically_normal().string();
}

std::string Field::readFile(size_t maximumBytes) const {
    std::string problem;
    auto bytes = readRegularFile(filePath(), maximumBytes, problem);
    if (!bytes) fail("cannot read " + fileDisplayName() + ": " + problem);
    return std::move(*bytes);
}

void Field::expectKeys(std::initializer_list<std::string_view> known) const {
    for (const auto& name : keys()) {
        if (std::find(known.begin(), known.end(), name) != known.end()) continue;
        std::string_view nearest;
        size_t best = SIZE_MAX;
        for (const auto candidate : known) {
            const size_t distance = editDistance(name, candidate);
            if (distance < best) {
                best = distance;
                nearest = candidate;
            }
        }
        const size_t allowed = name.size() <= 4 ? 1 : 2;
        std::string problem = "is not a known field";
        if (best <= allowed) {
            problem += " (did you mean \"" + std::string(nearest) + "\"?)";
        } else {
            problem += "; known here:";
            for (const auto candidate : known)
                problem += " \"" + std::string(candidate) + "\"";
        }
        const std::string childPath = path_.empty() ? name : path_ + "." + name;
        Field(*file_, *value_, childPath).fail(problem);
    }
}

void expectTopLevelKeys(const Field& root) {
    root.expectKeys({"name", "system", "registry", "bios", "pci", "smbios", "ide", "superio"});
}

std::string Field::stringOr(std::string_view key, std::string_view fallback) const {
    auto field = optional(key);
    return field ? field->string() : std::string(fallback);
}

uint64_t Field::numberOr(std::string_view key, uint64_t fallback, uint64_t maximum) const {
    auto field = optional(key);
    return field ? field->number(maximum) : fallback;
}

bool Field::booleanOr(std::string_view key, bool fallback) const {
    auto field = optional(key);
    return field ? field->boolean() : fallback;
}

}  // namespace zelkora::platform::machine
