// BMP files byte by byte at every depth, and a write that fails half way.
#include "app/persist/bmp_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "tests/persist/demo_machine.h"

namespace zelkora::persist {
namespace {

namespace fs = std::filesystem;

uint32_t le32(const std::string& bytes, std::size_t at) {
    return uint32_t{static_cast<uint8_t>(bytes[at])} |
           uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 8 |
           uint32_t{static_cast<uint8_t>(bytes[at + 2])} << 16 |
           uint32_t{static_cast<uint8_t>(bytes[at + 3])} << 24;
}
uint16_t le16(const std::string& bytes, std::size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8);
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
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(le32(bytes, 2), depth.fileSize);
        EXPECT_EQ(le32(bytes, 6), 0u);
        EXPECT_EQ(le32(bytes, 10), depth.offset);
        EXPECT_EQ(le32(bytes, 14), 40u);
        EXPECT_EQ(le32(bytes, 18), 3u);
        EXPECT_EQ(le32(bytes, 22), 2u);
        EXPECT_EQ(le16(bytes, 26), 1);
        EXPECT_EQ(le16(bytes, 28), depth.bits);
        EXPECT_EQ(le32(bytes, 30), 0u);
        EXPECT_EQ(le32(bytes, 34), 2 * depth.rowBytes);
        for (std::size_t at = 38; at < 54; at += 4)
            EXPECT_EQ(le32(bytes, at), 0u);
        for (std::size_t entry = 0; entry < depth.entries; ++entry) {
            const uint32_t expected = entry == 0 ? 0x00112233 : entry == 1 ? 0x00445566 : 0;
            EXPECT_EQ(le32(bytes, 54 + 4 * entry), expected) << "entry " << entry;
        }
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
}

}  // namespace
}  // namespace zelkora::persist
