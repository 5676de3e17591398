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

// What a load found in its file beside the writes.
struct PciLoadNotes {
    // Non-empty stored values that are no register values, left unwritten.
    std::vector<SkippedValue> skipped;
    // Sections named after no function of this machine.
    std::vector<std::string> unmatchedSections;
    // Why the file cannot be read at all; empty when it can.
    std::string readProblem;
};

// Why a save wrote nothing, or did not complete.
struct PciSaveProblem {
    // The first function whose space the host would not read whole, with
    // the bytes it would not read ("40h-FFh"); empty when every byte was read.
    std::optional<PciFunction> unreadFunction;
    std::string unreadBytes;
    uint8_t firstUnreadOffset = 0;
    // Why the file could not be written.
    std::string fileProblem;
};

// The library's PCI walk, in walk order; empty when access is not open.
std::vector<PciFunction> walkPciFunctions();

// "Bus00 Dev1F Fun03", as the file's keys name a function.
std::string functionName(const PciFunction& function);

// A stored register value: one or two hexadecimal digits, optionally
// followed by "h" or "H". Anything else is no value and is never written.
std::optional<uint8_t> parseRegisterValue(std::string_view text);

// Saves the live 256 configuration bytes of every function, 257 keys each
// in the section named after its description. Every space is read before
// anything is written: when the host refuses any byte (an ordinary user on
// Linux reads only the first 64) the file is left alone, since FFh put in
// place of a byte is no value to load back. False when nothing or not all
// was saved; `problem` then says why.
bool savePciConfig(const std::string& path, std::span<const PciFunction> functions,
                   common::PortIo& ports, PciSaveProblem* problem = nullptr);

// What loading the file at `path` writes, function after function in the
// given order, ascending offsets. A missing file or section gives nothing.
// What else the file holds, or why it cannot be read, goes into `notes`.
std::vector<RegisterWrite> planPciLoad(const std::string& path,
                                       std::span<const PciFunction> functions,
                                       PciLoadNotes* notes = nullptr);

// How many functions the writes touch.
std::size_t touchedFunctions(std::span<const RegisterWrite> writes);

// Writes each byte as a read-modify-write of its configuration dword; gives
// how many of them the driver refused.
std::size_t applyPciLoad(std::span<const RegisterWrite> writes, common::PortIo& ports);

// Why the file at `path` cannot be loaded (missing, no regular file, too
// large, broken UTF-16, unreadable); empty when it can.
std::string loadProblem(const std::string& path);

}  // namespace zelkora::persist
