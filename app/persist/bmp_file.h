#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelkora::persist {

// A picture in one of the display formats a BMP file keeps: 1, 4 or 8 bits
// per pixel through a colour table, or 16 (5-5-5), 24 or 32 bits of blue,
// green and red. Rows run top to bottom, `stride` bytes apart.
struct PixelImage {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitsPerPixel = 0;
    std::vector<uint32_t> colourTable;  // 0x00RRGGBB; missing entries are black
    std::vector<uint8_t> pixels;
    std::size_t stride = 0;
};

inline constexpr std::size_t kBmpFileHeaderBytes = 14;
inline constexpr std::size_t kBmpInfoHeaderBytes = 40;

// Bytes of one stored row: padded with zeros to a multiple of four.
std::size_t bmpRowBytes(int32_t width, uint16_t bitsPerPixel);

// The device-independent image block: the 40-byte information header, the
// colour table (2^bits entries of blue, green, red, 0 for 1, 4 and 8 bits
// per pixel; none otherwise) and the rows bottom-up. Nothing for compression
// other than 0 (plain RGB), an unknown depth, or pixels that do not cover
// the picture.
std::optional<std::vector<uint8_t>> makeDeviceIndependentImage(const PixelImage& image,
                                                               uint32_t compression = 0);

// Writes the 14-byte file header and the block. The file appears whole or
// not at all: it is written beside its final name and renamed over it, and a
// write that fails on the way (a full disk) leaves nothing behind. A symbolic
// link is written through to its target; a file this user may not write, a
// folder or a device is refused.
bool writeBmpFile(const std::string& path, std::span<const uint8_t> block);

}  // namespace zelkora::persist
