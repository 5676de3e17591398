#include "capture/config_spaces.h"

#include <cstdio>

#include "hardware/pc_addresses.h"
#include "winio/core/backend.h"

namespace zelkora::capture {

namespace {

// The bus walk is bracketed so that a live host reads each function once.
class ScanScope {
  public:
    explicit ScanScope(winio::Backend& ports) : ports_(ports) { ports_.beginConfigScan(); }
    ~ScanScope() { ports_.endConfigScan(); }
    ScanScope(const ScanScope&) = delete;
    ScanScope& operator=(const ScanScope&) = delete;

  private:
    winio::Backend& ports_;
};

winio::Backend::PortReading configDword(winio::Backend& ports, uint32_t function, unsigned index) {
    ports.writePort(hardware::kPciAddressPort,
                    hardware::kPciConfigEnable | function << 8 | index << 2, 4);
    return ports.readPortChecked(hardware::kPciDataPort, 4);
}

}  // namespace

std::vector<ConfigSpace> readConfigSpaces(winio::Backend& ports) {
    std::vector<ConfigSpace> spaces;
    const ScanScope scan(ports);
    for (uint32_t function = 0; function <= 0xFFFF; ++function) {
        if ((configDword(ports, function, 0).value & 0xFFFF) == 0xFFFF) continue;
        ConfigSpace& space = spaces.emplace_back();
        space.bus = static_cast<uint8_t>(function >> 8);
        space.device = static_cast<uint8_t>((function >> 3) & 0x1F);
        space.function = static_cast<uint8_t>(function & 7);
        for (unsigned index = 0; index < 64 && space.readable == 256; ++index) {
            const auto dword = configDword(ports, function, index);
            for (unsigned byte = 0; byte < 4; ++byte) {
                if (dword.unread & (1u << byte)) {
                    space.readable = index * 4 + byte;
                    break;
                }
                space.bytes[index * 4 + byte] = static_cast<uint8_t>(dword.value >> (8 * byte));
            }
        }
        // What the host refused is no value: FFh, as the bus shows it.
        for (unsigned offset = space.readable; offset < 256; ++offset)
            space.bytes[offset] = 0xFF;
    }
    return spaces;
}

std::string functionAddress(uint8_t bus, uint8_t device, uint8_t function) {
    char address[16];
    std::snprintf(address, sizeof address, "%02x:%02x.%x", bus, device, function);
    return address;
}

}  // namespace zelkora::capture
