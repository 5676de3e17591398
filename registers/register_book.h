#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelkora::registers {

// A register description file that could not be used; the message names the
// file, the entry and the problem.
class RegisterFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Bits `low` to `high` of a register value, both included.
struct BitRange {
    uint8_t low = 0;
    uint8_t high = 0;

    uint32_t mask() const {
        const uint32_t ones = high - low >= 31 ? 0xFFFF'FFFFu : (2u << (high - low)) - 1u;
        return ones << low;
    }
    uint32_t extract(uint32_t value) const { return (value & mask()) >> low; }
};

// A field shown as an address: the field's bits kept in place, moved left by
// `shift` and with `orBits` set (the low bits of a window's limit).
struct AddressForm {
    unsigned shift = 0;
    uint64_t orBits = 0;
};

struct FieldDescription {
    std::string name;
    BitRange bits;
    // One-bit fields read "Name+" when set; inverted ones when clear.
    bool invert = false;
    // Write 1 to clear: the hardware sets the bit, a written 1 clears it.
    bool rw1c = false;
    // Shown as the field's value plus this (a count stored as count - 1).
    uint32_t add = 0;
    std::vector<std::pair<uint32_t, std::string>> values;
    std::optional<AddressForm> address;
};

struct RegisterDescription {
    uint8_t offset = 0;  // within the space, or within its capability
    uint8_t width = 1;   // bytes: 1, 2 or 4
    std::string name;
    std::string key;  // the name for the command line: "LATENCY_TIMER"
    std::vector<std::string> aliases;
    bool bigEndian = false;  // the first byte is the most significant (Super-I/O base addresses)
    bool bar = false;        // a base address register: fields by its type bits
    std::vector<FieldDescription> fields;
};

// A test of bits of a little-endian value at `at` within a capability.
struct Condition {
    uint8_t at = 0;
    uint8_t width = 1;
    BitRange bits;
    uint32_t is = 0;
};

// Registers that a capability has when `when` holds (always without one).
struct CapabilityVariant {
    std::optional<Condition> when;
    std::vector<RegisterDescription> registers;
};

struct CapabilityDescription {
    uint8_t id = 0;
    std::string name;
    std::string key;  // CAP_<key> on the command line
    std::vector<RegisterDescription> registers;
    // The first variant whose condition holds adds its registers.
    std::vector<CapabilityVariant> variants;
};

// The fields of a base address register by its type bits.
struct BarFields {
    std::vector<FieldDescription> memory;
    std::vector<FieldDescription> io;
    std::vector<FieldDescription> upperHalf;  // the high dword of a 64-bit memory BAR
};

// Everything the register description file describes.
struct RegisterBook {
    std::vector<RegisterDescription> pciHeader;  // 00h-0Fh of every layout
    std::vector<RegisterDescription> type0;      // 10h-3Fh of a general device
    std::vector<RegisterDescription> type1;      // 10h-3Fh of a PCI-to-PCI bridge
    BarFields bar;
    std::vector<RegisterDescription> capabilityHeader;  // ID and next pointer
    std::vector<CapabilityDescription> capabilities;
    std::vector<RegisterDescription> superIo;

    const CapabilityDescription* capability(uint8_t id) const;
};

inline constexpr std::string_view kRegisterFileName = "registers.json";

// Parses a description file's text; `displayName` names it in messages.
// Throws RegisterFileError.
RegisterBook parseRegisterBook(std::string_view text, const std::string& displayName);
// Reads and parses a file. Throws RegisterFileError.
RegisterBook readRegisterBook(const std::filesystem::path& path);
// The shipped file (beside the program, else the installed data folder).
RegisterBook readShippedRegisterBook();

// "Latency Timer" -> "LATENCY_TIMER", "I/O Base" -> "IO_BASE".
std::string keyForName(std::string_view name);

}  // namespace zelkora::registers
