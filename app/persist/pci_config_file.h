#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/port_io.h"

namespace zelkora::persist {

// One PCI function as the configuration file knows it: its address and the
// description that names its section.
struct PciFunction {
    uint8_t bus = 0;
    uint8_t device = 0;
    uint8_t function = 0;
    std::string description;
};

// One byte that a load writes.
struct RegisterWrite {
    uint8_t bus = 0;
    uint8_t device = 0;
    uint8_t function = 0;
    uint8_t offset = 0;
    uint8_t value = 0;
};

// A non-empty stored value that is no register value, left unwritten.
struct SkippedValue {
    std::string section;
    std::string key;
    std::string value;
};

// The library's PCI walk, in walk order; empty when access is not open.
std::vector<PciFunction> walkPciFunctions();

// A stored register value: one or two hexadecimal digits, optionally
// followed by "h" or "H". Anything else is no value and is never written.
std::optional<uint8_t> parseRegisterValue(std::string_view text);

// Saves the live 256 configuration bytes of every function, 257 keys each
// in the section named after its description. False when the file could
// not be written.
bool savePciConfig(const std::string& path, std::span<const PciFunction> functions,
                   common::PortIo& ports);

// What loading the file at `path` writes, function after function in the
// given order, ascending offsets. A missing file or section gives nothing.
// Values that are not register values go into `skipped` when given.
std::vector<RegisterWrite> planPciLoad(const std::string& path,
                                       std::span<const PciFunction> functions,
                                       std::vector<SkippedValue>* skipped = nullptr);

// Writes each byte as a read-modify-write of its configuration dword; gives
// how many of them the driver refused.
std::size_t applyPciLoad(std::span<const RegisterWrite> writes, common::PortIo& ports);

// Whether the file can be opened for reading (a regular file).
bool isReadableFile(const std::string& path);

}  // namespace zelkora::persist
