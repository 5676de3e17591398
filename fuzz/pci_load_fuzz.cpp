// Arbitrary bytes as a PCI configuration file to load: only values of one
// or two hexadecimal digits (with an optional "h") are ever written, each
// as one read-modify-write of its dword, functions in order and offsets
// ascending.
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/persist/pci_config_file.h"
#include "common/pci_config.h"
#include "common/profile_file.h"
#include "fuzz/scratch_file.h"
#include "hardware/pc_addresses.h"
#include "tests/support/test_driver.h"

namespace {

using zelkora::persist::PciFunction;
using zelkora::persist::RegisterWrite;

const std::string& configPath() {
    static const std::string path = zelkora::fuzzing::scratchFile("pci-load-fuzz", "pci.ini");
    return path;
}

// Configuration space that answers every dword with its own bus, device,
// function and offset (without the enable bit, which would read as a set
// status error bit and change the write).
class EchoConfigSpace : public zelkora::winio::Backend {
  public:
    PortReading readPortChecked(uint16_t port, unsigned) override {
        accesses.push_back(port);
        return {address & 0x00FF'FFFFu, 0};
    }
    bool writePort(uint16_t port, uint32_t value, unsigned) override {
        accesses.push_back(port);
        if (port == zelkora::hardware::kPciAddressPort) address = value;
        if (port == zelkora::hardware::kPciDataPort) written.push_back(value);
        return true;
    }
    bool readPhysical(uint32_t, std::span<uint8_t>) override { return false; }
    uint32_t address = 0;
    std::vector<uint16_t> accesses;
    std::vector<uint32_t> written;
};

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::optional<uint8_t> direct = zelkora::persist::parseRegisterValue(content);
    if (direct) {
        std::string_view digits = content;
        if (digits.ends_with('h') || digits.ends_with('H')) digits.remove_suffix(1);
        if (digits.empty() || digits.size() > 2 || !isHex(digits.front()) || !isHex(digits.back()))
            std::abort();
    }

    const std::string& path = configPath();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    const std::array<PciFunction, 4> functions{{{0, 0, 0, "Host Bridge"},
                                                {0, 0x1F, 1, "IDE Controller"},
                                                {1, 0, 0, "Same"},
                                                {1, 0, 1, "same"}}};
    const std::vector<RegisterWrite> writes = zelkora::persist::planPciLoad(path, functions);

    zelkora::common::ProfileFile profile(true);
    profile.setFile(path);
    std::size_t next = 0;
    for (const PciFunction& function : functions) {
        for (unsigned offset = 0; offset < 256; ++offset) {
            char key[40];
            std::snprintf(key, sizeof key, "Bus%2.2X Dev%2.2X Fun%2.2X Register %2.2Xh",
                          function.bus, function.device, function.function, offset);
            const auto value = zelkora::persist::parseRegisterValue(
                profile.getString(key, "", function.description));
            if (!value) continue;
            if (next >= writes.size()) std::abort();
            const RegisterWrite& write = writes[next++];
            if (write.bus != function.bus || write.device != function.device ||
                write.function != function.function || write.offset != offset ||
                write.value != *value)
                std::abort();
        }
    }
    if (next != writes.size()) std::abort();

    const auto echo = std::make_shared<EchoConfigSpace>();
    zelkora::testing::TestDriver driver(echo);
    zelkora::persist::applyPciLoad(writes, driver.ports());
    const EchoConfigSpace& ports = *echo;
    if (ports.accesses.size() != 3 * writes.size() || ports.written.size() != writes.size())
        std::abort();
    for (std::size_t index = 0; index < writes.size(); ++index) {
        const RegisterWrite& write = writes[index];
        const uint32_t address = zelkora::common::pciConfigAddress(
            write.bus, write.device, write.function, write.offset / 4);
        const unsigned shift = 8 * (write.offset % 4);
        if (ports.written[index] !=
            ((address & 0x00FF'FFFFu & ~(0xFFu << shift)) | uint32_t{write.value} << shift))
            std::abort();
    }
    return 0;
}
