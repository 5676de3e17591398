// The machine file's "bios" section: the BIOS area of a simulated board, the
// F0000h-FFFFFh segment (or the regions the section lists) with the
// identification text at FE0C1h.
#include "hardware/pc_addresses.h"
#include "winio/sim/board_builder.h"

namespace zelkora::winio::sim {

namespace {

using hardware::kBiosIdentificationAddress;
using hardware::kBiosIdentificationLength;

std::vector<uint8_t> regionBytes(const platform::machine::Field& region) {
    region.expectKeys({"base", "bytes", "file", "size", "fill"});
    const uint64_t size = region.numberOr("size", 0, 0x100'0000);
    std::vector<uint8_t> bytes;
    if (auto file = region.optional("file")) {
        const std::string contents = file->readFile(0x100'0000);
        bytes.assign(contents.begin(), contents.end());
    } else if (auto hex = region.optional("bytes")) {
        bytes = hex->hexBlob(0x100'0000);
    }
    if (size > bytes.size()) {
        bytes.resize(size, static_cast<uint8_t>(region.numberOr("fill", 0, 0xFF)));
    }
    if (bytes.empty()) region.fail("must give a size, bytes or a file");
    return bytes;
}

}  // namespace

void attachBiosArea(SimulatedBoard& board, const platform::machine::Field& root) {
    auto bios = root.optional("bios");
    if (!bios) return;
    bios->expectKeys({"regions", "identification"});
    if (auto regions = bios->optional("regions")) {
        for (size_t i = 0; i < regions->size(); ++i) {
            const auto region = regions->at(i);
            const auto base = static_cast<uint32_t>(region["base"].number(0xFFFF'FFFF));
            auto bytes = regionBytes(region);
            if (uint64_t{base} + bytes.size() > 0x1'0000'0000ULL) {
                region.fail("runs past the 4 GiB physical address space");
            }
            if (!board.memory().addRegion(base, std::move(bytes))) {
                region.fail("overlaps another memory region");
            }
        }
    } else {
        board.memory().addRegion(hardware::kBiosSegment,
                                 std::vector<uint8_t>(hardware::kBiosSegmentSize, 0));
    }
    if (auto identification = bios->optional("identification")) {
        const std::string text = identification->string();
        if (text.size() > kBiosIdentificationLength) {
            identification->fail("is longer than the 80 bytes the BIOS holds");
        }
        std::vector<uint8_t> bytes(kBiosIdentificationLength, 0);
        std::copy(text.begin(), text.end(), bytes.begin());
        if (!board.memory().write(kBiosIdentificationAddress, bytes)) {
            identification->fail("no memory region holds FE0C1h-FE110h");
        }
    }
}

}  // namespace zelkora::winio::sim
