#include "tests/support/fake_root.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tests/support/build_paths.h"

namespace zelkora::testing {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(std::string_view stem) : path_(scratchPath(stem)) {
    fs::remove_all(path_);
    fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    fs::remove_all(path_, error);
}

fs::path ScratchDir::write(std::string_view relative, std::string_view bytes) const {
    const auto file = path_ / relative;
    fs::create_directories(file.parent_path());
    writeBytes(file, bytes);
    return file;
}

void ScratchDir::folder(std::string_view relative) const {
    fs::create_directories(path_ / relative);
}

FakeRoot::FakeRoot(std::string_view stem) : ScratchDir(stem) {
    ::setenv("ZELKORA_SYSROOT", path().c_str(), 1);
}

FakeRoot::~FakeRoot() {
    ::unsetenv("ZELKORA_SYSROOT");
}

void FakeRoot::addPciFunction(std::string_view address, std::string_view config,
                              std::string_view driver) const {
    const std::string dir = "sys/bus/pci/devices/0000:" + std::string(address) + "/";
    write(dir + "config", config);
    const auto attribute = [&](const char* name, size_t offset, unsigned width) {
        unsigned value = 0;
        for (unsigned i = 0; i < width; ++i)
            value |= unsigned{static_cast<uint8_t>(config[offset + i])} << (8 * i);
        char text[16];
        std::snprintf(text, sizeof text, "0x%0*x\n", static_cast<int>(width * 2), value);
        write(dir + name, text);
    };
    attribute("vendor", 0, 2);
    attribute("device", 2, 2);
    attribute("revision", 8, 1);
    attribute("class", 9, 3);
    attribute("subsystem_vendor", 0x2C, 2);
    attribute("subsystem_device", 0x2E, 2);
    if (!driver.empty()) {
        const fs::path target = path() / "sys/bus/pci/drivers" / driver;
        fs::create_directories(target);
        fs::create_directory_symlink(target, path() / dir / "driver");
    }
}

void FakeRoot::removePciFunction(std::string_view address) const {
    fs::remove_all(path() / "sys/bus/pci/devices" / ("0000:" + std::string(address)));
}

void FakeRoot::copyFrom(std::string_view name) const {
    fs::copy(kSourceDir / "tests/data/roots" / name, path(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks |
                 fs::copy_options::overwrite_existing);
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string pciSpace(uint16_t vendor, uint16_t device, uint32_t classCode, uint8_t revision,
                     uint32_t subsystem, uint8_t headerType) {
    std::string space(256, '\0');
    auto put = [&](size_t offset, uint32_t value, unsigned width) {
        for (unsigned i = 0; i < width; ++i)
            space[offset + i] = static_cast<char>(value >> (8 * i));
    };
    put(0, vendor, 2);
    put(2, device, 2);
    put(8, revision, 1);
    put(9, classCode, 3);
    put(0x0E, headerType, 1);
    if ((headerType & 0x7F) == 0) put(0x2C, subsystem, 4);
    put(0x3C, 0x0B, 1);
    return space;
}

}  // namespace zelkora::testing
