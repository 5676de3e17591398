#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelkora::interchange {

// An input that cannot be read or understood. The message names the file
// and, for text, the line ("bus.txt:12: not a hex byte: zz"); for binary
// input the offset.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The whole of the regular file `path`, at most `limit` bytes; throws
// InputError with the file and the reason.
std::string readInputFile(const std::string& path, std::size_t limit);

[[noreturn]] void failAt(const std::string& file, std::size_t line, std::string_view problem);
[[noreturn]] void fail(const std::string& file, std::string_view problem);

// The lines of a text, numbered from 1, without their line ends ("\r\n" too).
class LineReader {
  public:
    explicit LineReader(std::string_view text) : rest_(text) {}
    bool next(std::string_view& line);
    std::size_t number() const { return number_; }

  private:
    std::string_view rest_;
    std::size_t number_ = 0;
};

// Splits at blanks and tabs.
class Tokens {
  public:
    explicit Tokens(std::string_view text) : rest_(text) {}
    bool next(std::string_view& token);

  private:
    std::string_view rest_;
};

// All of `digits` as a hexadecimal number of at most `maxDigits` digits.
bool parseHex(std::string_view digits, std::size_t maxDigits, unsigned& value);

}  // namespace zelkora::interchange
