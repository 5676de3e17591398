#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/live/system_root.h"
#include "winio/core/backend.h"
#include "winio/sim/physical_memory.h"

namespace zelkora::winio::live {

// Where the live host keeps what the driver serves; tests point these at a
// folder of their own.
struct HostPaths {
    std::filesystem::path pciDevices = platform::hostPath("sys/bus/pci/devices");
    std::filesystem::path dmiTables = platform::hostPath("sys/firmware/dmi/tables");
    std::filesystem::path dmiIdentity = platform::hostPath("sys/class/dmi/id");
};

// The live Linux host. PCI configuration mechanism 1 is served from sysfs;
// the BIOS area is built from the firmware's SMBIOS table; every other port
// floats unless raw port access was asked for (ZELKORA_RAW_PORTS=1), because
// a wrong write to an unknown machine's ports can hang it.
class LiveHost : public Backend {
  public:
    explicit LiveHost(HostPaths paths = {}, bool rawPorts = false);
    ~LiveHost() override;
    LiveHost(const LiveHost&) = delete;
    LiveHost& operator=(const LiveHost&) = delete;

    uint32_t readPort(uint16_t port, unsigned size) override;
    // Refused: a configuration write the kernel does not take (no right to
    // write configuration space), and any legacy port without raw access.
    bool writePort(uint16_t port, uint32_t value, unsigned size) override;
    bool readPhysical(uint32_t address, std::span<uint8_t> out) override;

    bool rawPorts() const { return rawPorts_; }

  private:
    // The open config file of the function the address register selects, or -1.
    int selectedConfigFile();
    uint32_t readConfig(unsigned lane, unsigned size);
    bool writeConfig(unsigned lane, uint32_t value, unsigned size);
    void buildBiosArea();

    HostPaths paths_;
    bool rawPorts_ = false;
    uint32_t address_ = 0;
    std::map<uint32_t, int> configFiles_;  // bus/device/function -> fd (-1 when absent)
    sim::PhysicalMemory memory_;
};

}  // namespace zelkora::winio::live
