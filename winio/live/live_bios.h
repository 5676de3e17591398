#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkora::winio::live {

// What /sys/class/dmi/id tells every user about the firmware and the board.
struct DmiIdentity {
    std::string biosVendor, biosVersion, biosDate;
    std::string boardVendor, boardName, boardVersion;

    bool empty() const;
};

DmiIdentity readDmiIdentity(const std::filesystem::path& folder);

// The first processor of /proc/cpuinfo.
struct CpuIdentity {
    std::string vendor;     // vendor_id
    std::string modelName;  // model name
    uint16_t mhz = 0;       // the rated clock of the model name ("@ 3.60GHz"), else "cpu MHz"
};

// Empty when the text names no processor (no "model name" and no "cpu MHz").
std::optional<CpuIdentity> parseCpuinfo(std::string_view text);

// The 80-byte BIOS identification text "<board> <revision> <date>", built so
// that the library's split (the model ends at the first space followed three
// characters later by a ".") gives back exactly the board name, the board's
// version and the BIOS date. A board version that cannot stand there (it must
// be one token of at most nine characters with its third character a "."
// and no "." before it) is replaced by kNoRevision; a space inside the board
// name that would end it early becomes "_"; a date with blanks is left out;
// a board name too long for the text is cut.
inline constexpr std::string_view kNoRevision = "--.--";
std::string buildIdentificationText(const DmiIdentity& identity);

// An SMBIOS 3.1 structure table (BIOS, baseboard, processor and end of
// table) made of what every user may read. The BIOS structure says "size in
// the extended field" with an extended size of 0: the size is unknown. The
// processor's socket, external clock and maximum clock are unknown (the
// socket's string reads "Unknown"). Structures without any source are left
// out; empty when there is nothing to tell.
std::vector<uint8_t> buildSmbiosTable(const DmiIdentity& identity,
                                      const std::optional<CpuIdentity>& cpu);

}  // namespace zelkora::winio::live
