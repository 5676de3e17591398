#include "interchange/input_file.h"

#include <charconv>

#include "platform/machine/machine_file.h"

namespace zelkora::interchange {

std::string readInputFile(const std::string& path, std::size_t limit) {
    std::string problem;
    auto bytes = platform::machine::readRegularFile(path, limit, problem);
    if (!bytes) throw InputError("cannot read " + path + ": " + problem);
    return std::move(*bytes);
}

void failAt(const std::string& file, std::size_t line, std::string_view problem) {
    throw InputError(file + ":" + std::to_string(line) + ": " + std::string(problem));
}

void fail(const std::string& file, std::string_view problem) {
    throw InputError(file + ": " + std::string(problem));
}

bool LineReader::next(std::string_view& line) {
    if (rest_.empty()) return false;
    const std::size_t newline = rest_.find('\n');
    line = rest_.substr(0, newline);
    rest_.remove_prefix(newline == std::string_view::npos ? rest_.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return true;
}

bool Tokens::next(std::string_view& token) {
    const std::size_t start = rest_.find_first_not_of(" \t");
    if (start == std::string_view::npos) return false;
    rest_.remove_prefix(start);
    token = rest_.substr(0, rest_.find_first_of(" \t"));
    rest_.remove_prefix(token.size());
    return true;
}

bool parseHex(std::string_view digits, std::size_t maxDigits, unsigned& value) {
    if (digits.empty() || digits.size() > maxDigits) return false;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    return error == std::errc{} && end == digits.data() + digits.size();
}

}  // namespace zelkora::interchange
