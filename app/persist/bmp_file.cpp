#include "app/persist/bmp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

namespace zelkora::persist {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

bool isBmpDepth(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

std::size_t colourTableEntries(uint16_t bits) {
    return bits <= 8 ? std::size_t{1} << bits : 0;
}

bool writeAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

std::size_t bmpRowBytes(int32_t width, uint16_t bitsPerPixel) {
    return ((static_cast<std::size_t>(width) * bitsPerPixel + 31) & ~std::size_t{31}) / 8;
}

std::optional<std::vector<uint8_t>> makeDeviceIndependentImage(const PixelImage& image,
                                                               uint32_t compression) {
    if (compression != 0 || !isBmpDepth(image.bitsPerPixel) || image.width <= 0 ||
        image.height <= 0 || image.width > 0x10000 || image.height > 0x10000) {
        return std::nullopt;
    }
    const std::size_t used = (static_cast<std::size_t>(image.width) * image.bitsPerPixel + 7) / 8;
    const auto height = static_cast<std::size_t>(image.height);
    if (image.stride < used || image.pixels.size() < image.stride * (height - 1) + used) {
        return std::nullopt;
    }
    const std::size_t rowBytes = bmpRowBytes(image.width, image.bitsPerPixel);
    const std::size_t entries = colourTableEntries(image.bitsPerPixel);
    const std::size_t imageSize = rowBytes * height;

    std::vector<uint8_t> block;
    block.reserve(kBmpInfoHeaderBytes + 4 * entries + imageSize);
    put32(block, kBmpInfoHeaderBytes);
    put32(block, static_cast<uint32_t>(image.width));
    put32(block, static_cast<uint32_t>(image.height));  // positive: rows run bottom-up
    put16(block, 1);                                    // planes
    put16(block, image.bitsPerPixel);
    put32(block, 0);  // plain RGB
    put32(block, static_cast<uint32_t>(imageSize));
    put32(block, 0);  // resolution
    put32(block, 0);
    put32(block, 0);  // colours used: all 2^bits
    put32(block, 0);  // important colours: all
    for (std::size_t index = 0; index < entries; ++index) {
        const uint32_t rgb = index < image.colourTable.size() ? image.colourTable[index] : 0;
        block.push_back(static_cast<uint8_t>(rgb));        // blue
        block.push_back(static_cast<uint8_t>(rgb >> 8));   // green
        block.push_back(static_cast<uint8_t>(rgb >> 16));  // red
        block.push_back(0);
    }
    for (std::size_t row = height; row-- > 0;) {
        const auto first = image.pixels.begin() + static_cast<std::ptrdiff_t>(row * image.stride);
        block.insert(block.end(), first, first + static_cast<std::ptrdiff_t>(used));
        block.insert(block.end(), rowBytes - used, 0);
    }
    return block;
}

bool writeBmpFile(const std::string& name, std::span<const uint8_t> block) {
    if (block.size() < kBmpInfoHeaderBytes || name.empty()) return false;
    // Replaced as the profile files are: a symbolic link is written through,
    // not replaced by a plain file, and a file we may not write stays as it
    // is (a rename over it would get round its protection).
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(name, error);
    const std::string path = error ? name : resolved.string();
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    // A device or a folder under the name is never replaced.
    if (exists && (!S_ISREG(existing.st_mode) || ::access(path.c_str(), W_OK) != 0)) return false;

    const uint16_t bits = static_cast<uint16_t>(block[14] | block[15] << 8);
    const std::size_t offset =
        kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4 * colourTableEntries(bits);
    std::vector<uint8_t> header;
    put16(header, 0x4D42);  // "BM"
    put32(header, static_cast<uint32_t>(kBmpFileHeaderBytes + block.size()));
    put16(header, 0);
    put16(header, 0);
    put32(header, static_cast<uint32_t>(offset));

    const std::string temporary = path + "." + std::to_string(::getpid()) + ".part";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool written = writeAll(fd, header) && writeAll(fd, block);
    if (written && exists) written = ::fchmod(fd, existing.st_mode & 07777) == 0;
    if (written) written = ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (written) written = ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) ::unlink(temporary.c_str());
    return written;
}

}  // namespace zelkora::persist
