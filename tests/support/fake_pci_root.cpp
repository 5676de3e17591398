#include "tests/support/fake_pci_root.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace zelkora::testing {

namespace fs = std::filesystem;

namespace {

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x\n", digits, value);
    return text;
}

}  // namespace

FakePciRoot::FakePciRoot(fs::path root) : root_(std::move(root)) {
    fs::remove_all(root_);
    fs::create_directories(root_ / "sys/bus/pci/devices");
}

FakePciRoot::~FakePciRoot() {
    std::error_code error;
    fs::remove_all(root_, error);
}

void FakePciRoot::writeFile(std::string_view relative, std::string_view bytes) {
    const fs::path file = root_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void FakePciRoot::addFunction(std::string_view address, std::string_view config,
                              std::string_view driver) {
    const std::string dir = "sys/bus/pci/devices/0000:" + std::string(address) + "/";
    writeFile(dir + "config", config);
    auto at = [&](size_t offset, unsigned width) {
        unsigned value = 0;
        for (unsigned i = 0; i < width; ++i)
            value |= unsigned{static_cast<uint8_t>(config[offset + i])} << (8 * i);
        return value;
    };
    writeFile(dir + "vendor", hex(at(0, 2), 4));
    writeFile(dir + "device", hex(at(2, 2), 4));
    writeFile(dir + "revision", hex(at(8, 1), 2));
    writeFile(dir + "class", hex(at(9, 3), 6));
    writeFile(dir + "subsystem_vendor", hex(at(0x2C, 2), 4));
    writeFile(dir + "subsystem_device", hex(at(0x2E, 2), 4));
    if (!driver.empty()) {
        const fs::path target = root_ / "sys/bus/pci/drivers" / driver;
        fs::create_directories(target);
        fs::create_directory_symlink(target, root_ / dir / "driver");
    }
}

void FakePciRoot::removeFunction(std::string_view address) {
    fs::remove_all(root_ / "sys/bus/pci/devices" / ("0000:" + std::string(address)));
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

SysrootScope::SysrootScope(const fs::path& root) {
    ::setenv("ZELKORA_SYSROOT", root.c_str(), 1);
}

SysrootScope::~SysrootScope() {
    ::unsetenv("ZELKORA_SYSROOT");
}

}  // namespace zelkora::testing
