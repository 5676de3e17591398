#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interchange/pci_spaces.h"
#include "registers/register_book.h"

namespace zelkora::interchange {

struct ByteChange {
    uint8_t offset = 0;
    uint8_t a = 0;
    uint8_t b = 0;
};

// Offsets first to last that only one side holds; they are not compared.
struct UncomparedBytes {
    uint8_t first = 0;
    uint8_t last = 0;
    bool inA = true;  // held by A, else by B
};

// A function present on both sides whose bytes differ, or of which only one
// side holds some bytes.
struct FunctionDifference {
    FunctionSpace a;
    FunctionSpace b;
    std::vector<ByteChange> changes;
    std::vector<UncomparedBytes> uncompared;
};

struct PciDifference {
    std::vector<FunctionDifference> functions;
    std::vector<FunctionSpace> onlyInA;
    std::vector<FunctionSpace> onlyInB;

    // The same functions with the same bytes where both hold them.
    bool equal() const;
    std::size_t changedBytes() const;
    std::size_t changedFunctions() const;
    // Functions with bytes that only one side holds.
    std::size_t partlyCompared() const;
};

// Compares two sources function by function, both in address order.
PciDifference comparePciSpaces(const std::vector<FunctionSpace>& a,
                               const std::vector<FunctionSpace>& b);

// As text: per function whose bytes differ, "00:00.0 8086:2570", then one
// line per byte "  04h: 07h -> 06h (Command)"; then the functions of one side
// only, "only in A: 01:00.0 10de:0322". Nothing when the sources are equal.
// Header registers are named by `book`'s descriptions.
std::string pciDifferenceText(const PciDifference& difference, const registers::RegisterBook& book);

// As one JSON object of kind "pci-diff" (share/zelkora/zelkora.schema.json).
std::string pciDifferenceJson(const PciDifference& difference, const std::string& nameA,
                              const std::string& nameB, const registers::RegisterBook& book);

}  // namespace zelkora::interchange
