// BMP files byte by byte at every depth, and a write that fails half way.
#include "app/persist/bmp_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "tests/persist/demo_machine.h"

namespace zelkora::persist {
namespace {

namespace fs = std::filesystem;

// `value` as `size` little-endian bytes.
std::string le(uint32_t value, int size = 4) {
    std::string bytes;
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>(value >> 8 * i);
    return bytes;
}

// A 3 x 2 picture whose rows are `used` bytes of A0h.. (top) and B0h..
// (bottom), with EEh in the gap of a stride wider than the row.
PixelImage picture(uint16_t bits, std::size_t used) {
    PixelImage image;
    image.width = 3;
    image.height = 2;
    image.bitsPerPixel = bits;
    image.stride = used + 3;
    image.pixels.assign(2 * image.stride, 0xEE);
    for (std::size_t i = 0; i < used; ++i) {
        image.pixels[i] = static_cast<uint8_t>(0xA0 + i);
        image.pixels[image.stride + i] = static_cast<uint8_t>(0xB0 + i);
    }
    if (bits <= 8) image.colourTable = {0x112233, 0x445566};
    return image;
}

TEST(BmpFile, EveryDepthByteByByte) {
    struct Depth {
        uint16_t bits;
        std::size_t used, rowBytes, entries, offset, fileSize;
    };
    const Depth depths[] = {{1, 1, 4, 2, 62, 70},       {4, 2, 4, 16, 118, 126},
                            {8, 3, 4, 256, 1078, 1086}, {16, 6, 8, 0, 54, 70},
                            {24, 9, 12, 0, 54, 78},     {32, 12, 12, 0, 54, 78}};
    const testing::ScratchDir scratch("zelkora-bmp");
    const fs::path path = scratch.path() / "window.bmp";
    for (const Depth& depth : depths) {
        SCOPED_TRACE(depth.bits);
        const auto block = makeDeviceIndependentImage(picture(depth.bits, depth.used));
        ASSERT_TRUE(block);
        ASSERT_TRUE(writeBmpFile(path.string(), *block));
        const std::string bytes = testing::fileBytes(path);
        ASSERT_EQ(bytes.size(), depth.fileSize);
        // File and info headers (3 x 2, one plane, no compression, no resolution or colour
        // counts), then the colour table.
        std::string head = "BM" + le(depth.fileSize) + le(0) + le(depth.offset) + le(40) + le(3) +
                           le(2) + le(1, 2) + le(depth.bits, 2) + le(0) + le(2 * depth.rowBytes) +
                           std::string(16, '\0');
        for (std::size_t entry = 0; entry < depth.entries; ++entry)
            head += le(entry == 0 ? 0x112233 : entry == 1 ? 0x445566 : 0);
        EXPECT_EQ(bytes.substr(0, depth.offset), head);
        // Bottom row first, each padded with zeros to four bytes.
        std::string rows;
        for (const int first : {0xB0, 0xA0}) {
            for (std::size_t i = 0; i < depth.rowBytes; ++i)
                rows += static_cast<char>(i < depth.used ? first + static_cast<int>(i) : 0);
        }
        EXPECT_EQ(bytes.substr(depth.offset), rows);
    }

    PixelImage short_ = picture(24, 9);
    EXPECT_FALSE(makeDeviceIndependentImage(short_, 3)) << "bit fields are refused";
    short_.pixels.resize(short_.stride + 8);
    EXPECT_FALSE(makeDeviceIndependentImage(short_)) << "pixels that do not cover the picture";
    short_.bitsPerPixel = 15;
    EXPECT_FALSE(makeDeviceIndependentImage(short_));
}

TEST(BmpFile, WriteThatFailsLeavesNothingBehind) {
    const testing::ScratchDir scratch("zelkora-bmp-full");
    const fs::path& folder = scratch.path();
    const fs::path path = folder / "window.bmp";
    testing::writeBytes(path, "old picture");
    PixelImage large;
    large.width = 100;
    large.height = 100;
    large.bitsPerPixel = 24;
    large.stride = 300;
    large.pixels.assign(30000, 0x5A);
    const auto block = makeDeviceIndependentImage(large);
    ASSERT_TRUE(block);

    // A file size limit stands in for a full disk: the writes past it fail.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeBmpFile(path.string(), *block);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(testing::fileBytes(path), "old picture");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_FALSE(writeBmpFile((folder / "missing" / "x.bmp").string(), *block));

    // Replaced as a profile file is: through a link, and never a file this user may not write.
    fs::create_symlink(path, folder / "link.bmp");
    ASSERT_TRUE(writeBmpFile((folder / "link.bmp").string(), *block));
    EXPECT_TRUE(fs::is_symlink(folder / "link.bmp"));
    EXPECT_EQ(testing::fileBytes(path).substr(0, 2), "BM");
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(writeBmpFile(path.string(), *block), ::geteuid() == 0) << "root may write it";
}

}  // namespace
}  // namespace zelkora::persist
