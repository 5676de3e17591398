#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelkora::interchange {

// An SMBIOS table as `dmidecode --dump-bin` writes it: the firmware's entry
// point ("_SM_" or "_SM3_") at offset 0 and the structure table at 20h.
struct SmbiosDump {
    unsigned major = 0;
    unsigned minor = 0;
    // Each structure whole, header and strings, up to the end-of-table one.
    std::vector<std::vector<uint8_t>> structures;
    // The board model, BIOS revision and date as the BIOS area's
    // identification text shows them, made of the BIOS and board structures;
    // empty when the table names no board.
    std::string identification;
};

// Throws InputError naming the file and the offset of what cannot be read.
SmbiosDump readSmbiosDump(std::string_view bytes, const std::string& name);

}  // namespace zelkora::interchange
