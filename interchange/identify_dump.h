#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelkora::interchange {

using IdentifyWords = std::array<uint16_t, 256>;

// A drive's 256 identify words from `bytes`, the contents of the file `name`:
// the text the kernel keeps in /sys/class/ata_device/*/id or that
// `hdparm --Istdout` prints (hexadecimal words of up to four digits, eight a
// line; hdparm's "/dev/sda:" line and blank lines are passed over), or the
// 512 raw bytes of the identify block, words little-endian. Anything else
// throws InputError naming the file and line.
IdentifyWords readIdentifyDump(std::string_view bytes, const std::string& name);

// "ata" or "atapi" as word 0 says (bits 15-14 10b: a packet device).
std::string_view identifyDriveType(const IdentifyWords& words);

}  // namespace zelkora::interchange
