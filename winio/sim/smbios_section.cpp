// The machine file's "smbios" section: the SMBIOS entry point and structure
// table of a simulated board, built into physical memory from the structures
// the section lists or from a table dumped on a real machine.
#include <algorithm>
#include <cstdio>

#include "hardware/pc_addresses.h"
#include "winio/sim/board_builder.h"
#include "winio/sim/smbios_image.h"

namespace zelkora::winio::sim {

namespace {

using platform::machine::Field;

using hardware::kBiosSegment;
using hardware::kBiosSegmentEnd;
constexpr uint32_t kDumpTableOffset = 0x20;  // where a dump file keeps the table
constexpr size_t kLargestDump = 0x100000;
// The BIOS identification text (FE0C1h-FE110h) that the BIOS area holds.
constexpr uint32_t kIdentificationStart = hardware::kBiosIdentificationAddress;
constexpr uint32_t kIdentificationEnd = kIdentificationStart + hardware::kBiosIdentificationLength;

bool overIdentification(uint64_t start, uint64_t length) {
    return start < kIdentificationEnd && start + length > kIdentificationStart;
}

std::vector<uint8_t> readFile(const Field& field) {
    const std::string contents = field.readFile(kLargestDump);
    return {contents.begin(), contents.end()};
}

// One structure as it lies in the table: header, formatted area, string set.
std::vector<uint8_t> structureBytes(const Field& structure, size_t index) {
    structure.expectKeys({"type", "handle", "formatted", "strings", "raw"});
    if (auto raw = structure.optional("raw")) return raw->hexBlob(0x10000);
    const auto type = static_cast<uint8_t>(structure["type"].number(0xFF));
    const auto handle = static_cast<uint16_t>(structure.numberOr("handle", index, 0xFFFF));
    std::vector<uint8_t> formatted;
    if (auto field = structure.optional("formatted")) formatted = field->hexBlob(0xFF - 4);
    std::vector<uint8_t> bytes{type, static_cast<uint8_t>(4 + formatted.size()),
                               static_cast<uint8_t>(handle), static_cast<uint8_t>(handle >> 8)};
    bytes.insert(bytes.end(), formatted.begin(), formatted.end());
    if (auto strings = structure.optional("strings")) {
        for (size_t i = 0; i < strings->size(); ++i) {
            const auto text = strings->at(i).string();
            if (text.empty() || text.find('\0') != std::string::npos) {
                strings->at(i).fail("must be a non-empty text without NUL characters");
            }
            bytes.insert(bytes.end(), text.begin(), text.end());
            bytes.push_back(0);
        }
        if (strings->size() == 0) bytes.push_back(0);
    } else {
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
}

void parseVersion(const Field& field, SmbiosTableFacts& facts) {
    const std::string text = field.string();
    unsigned major = 0, minor = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u.%u%c", &major, &minor, &tail) != 2 || major > 15 ||
        minor > 15) {
        field.fail("must be \"major.minor\", such as \"2.3\"");
    }
    facts.major = static_cast<uint8_t>(major);
    facts.minor = static_cast<uint8_t>(minor);
}

// Writes `bytes` at `address`, adding a region of its own where no memory is.
void place(SimulatedBoard& board, const Field& field, uint32_t address,
           std::span<const uint8_t> bytes) {
    if (uint64_t{address} + bytes.size() > 0x1'0000'0000ULL) {
        field.fail("runs past the 4 GiB physical address space");
    }
    if (board.memory().write(address, bytes)) return;
    if (!board.memory().addRegion(address, {bytes.begin(), bytes.end()})) {
        field.fail("overlaps a memory region that does not hold it whole");
    }
}

}  // namespace

void attachSmbiosTables(SimulatedBoard& board, const Field& root) {
    auto smbios = root.optional("smbios");
    if (!smbios) return;
    smbios->expectKeys({"entryPoint", "tableAddress", "version", "structures", "dumpBin",
                        "maxStructureSize", "structureCount"});
    // Without a "bios" section the board gets the plain BIOS segment here.
    if (!root.optional("bios"))
        board.memory().addRegion(kBiosSegment, std::vector<uint8_t>(hardware::kBiosSegmentSize, 0));

    const auto entryField = smbios->optional("entryPoint");
    const auto entryPoint =
        static_cast<uint32_t>(entryField ? entryField->number(0xFFFF'FFFF) : kBiosSegment);
    if (entryPoint < kBiosSegment ||
        uint64_t{entryPoint} + kSmbiosEntryPointLength > kBiosSegmentEnd) {
        (entryField ? *entryField : *smbios)
            .fail("must lie in F0000h-FFFE0h, where the entry point is searched");
    }

    std::vector<uint8_t> table;
    SmbiosTableFacts facts;
    const auto dump = smbios->optional("dumpBin");
    const auto structures = smbios->optional("structures");
    if (dump && structures) dump->fail("cannot be given together with structures");
    if (dump) {
        const auto bytes = readFile(*dump);
        if (bytes.size() <= kDumpTableOffset)
            dump->fail("holds no table after the entry point at 20h");
        table.assign(bytes.begin() + kDumpTableOffset, bytes.end());
        const auto found = factsFromEntryPoint(std::span(bytes).first(kDumpTableOffset), table);
        if (!found) dump->fail("does not start with an \"_SM_\" or \"_SM3_\" entry point");
        facts = *found;
    } else if (structures) {
        for (size_t i = 0; i < structures->size(); ++i) {
            const auto bytes = structureBytes(structures->at(i), i);
            table.insert(table.end(), bytes.begin(), bytes.end());
        }
        const auto measure = measureSmbiosTable(table);
        facts.structureCount = static_cast<uint16_t>(std::min<size_t>(structures->size(), 0xFFFF));
        facts.maxStructureSize = measure.largestStructure;
        facts.tableLength = static_cast<uint16_t>(std::min<size_t>(table.size(), 0xFFFF));
    }
    if (table.empty()) smbios->fail("must give structures or a dumpBin file");
    if (auto version = smbios->optional("version")) parseVersion(*version, facts);
    facts.maxStructureSize =
        static_cast<uint16_t>(smbios->numberOr("maxStructureSize", facts.maxStructureSize, 0xFFFF));
    facts.structureCount =
        static_cast<uint16_t>(smbios->numberOr("structureCount", facts.structureCount, 0xFFFF));

    // The table never lands on the identification text: by default it moves
    // above 1 MiB, and a placement that covers a given text is refused.
    const auto bios = root.optional("bios");
    const bool identification = bios && bios->has("identification");
    if (identification && overIdentification(entryPoint, kSmbiosEntryPointLength)) {
        (entryField ? *entryField : *smbios)
            .fail("puts the entry point over the BIOS identification text (FE0C1h-FE110h)");
    }
    uint32_t tableAddress = entryPoint + 0x20;
    if (tableAddress + table.size() > kBiosSegmentEnd ||
        overIdentification(tableAddress, table.size())) {
        tableAddress = kBiosSegmentEnd;
    }
    const auto addressField = smbios->optional("tableAddress");
    if (addressField) tableAddress = static_cast<uint32_t>(addressField->number(0xFFFF'FFFF));
    if (addressField && identification && overIdentification(tableAddress, table.size())) {
        addressField->fail("puts the table over the BIOS identification text (FE0C1h-FE110h)");
    }
    const uint64_t tableEnd = uint64_t{tableAddress} + table.size();
    if (tableAddress < entryPoint + kSmbiosEntryPointLength && tableEnd > entryPoint) {
        (addressField ? *addressField : *smbios).fail("puts the table over the entry point");
    }
    facts.tableAddress = tableAddress;

    const auto entry = makeSmbiosEntryPoint(facts);
    place(board, entryField ? *entryField : *smbios, entryPoint, entry);
    place(board, addressField ? *addressField : *smbios, tableAddress, table);
}

}  // namespace zelkora::winio::sim
