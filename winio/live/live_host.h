#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/live/system_root.h"
#include "winio/core/backend.h"
#include "winio/live/live_drives.h"
#include "winio/sim/physical_memory.h"

namespace zelkora::winio::live {

// Where the live host keeps what the driver serves; tests point these at a
// folder of their own.
struct HostPaths {
    std::filesystem::path pciDevices = platform::hostPath("sys/bus/pci/devices");
    std::filesystem::path dmiTables = platform::hostPath("sys/firmware/dmi/tables");
    std::filesystem::path dmiIdentity = platform::hostPath("sys/class/dmi/id");
    std::filesystem::path cpuinfo = platform::hostPath("proc/cpuinfo");
    DriveSources drives;
};

// The live Linux host. PCI configuration mechanism 1 is served from sysfs;
// the BIOS area is built from the firmware's SMBIOS table, or from what every
// user may read when that table is closed; the two IDE task files answer the
// identify commands with the drives the kernel knows. Every other port floats
// unless raw port access was asked for (ZELKORA_RAW_PORTS=1), because a wrong
// write to an unknown machine's ports can hang it. The task files never reach
// the real ports, not even then: the kernel's own driver owns those drives.
class LiveHost : public Backend {
  public:
    explicit LiveHost(HostPaths paths = {}, bool rawPorts = false);
    ~LiveHost() override;
    LiveHost(const LiveHost&) = delete;
    LiveHost& operator=(const LiveHost&) = delete;

    // Bytes the kernel does not serve (all but the first 64 configuration
    // bytes to an ordinary user) and legacy ports without raw access are
    // reported unread.
    PortReading readPortChecked(uint16_t port, unsigned size) override;
    // Refused: a configuration write the kernel does not take (no right to
    // write configuration space), and any legacy port without raw access.
    bool writePort(uint16_t port, uint32_t value, unsigned size) override;
    bool readPhysical(uint32_t address, std::span<uint8_t> out) override;
    // A walk lists the functions once and reads each function's space once.
    void beginConfigScan() override;
    void endConfigScan() override;

    bool rawPorts() const { return rawPorts_; }

  private:
    // During a walk: a function's space as one read gave it, and how many
    // bytes the kernel served (an unprivileged reader gets 64).
    struct Snapshot {
        unsigned servedBytes = 0;
        std::array<uint8_t, 256> bytes{};
    };

    // The one config file kept open: that of the function last accessed
    // outside a walk, read-only until a write is asked for. A walk opens each
    // function's file for one read and closes it at once, so no number of
    // functions runs into the limit of open files.
    struct OpenConfigFile {
        uint32_t function = 0;
        int fd = -1;
        bool writable = false;
    };

    // Bus, device and function of the address register; nullopt when it does
    // not enable a configuration cycle.
    std::optional<uint32_t> selectedFunction() const;
    std::filesystem::path configPath(uint32_t function) const;
    // The selected function's file, opened for writing when asked; -1 when
    // the function is absent (or, for writing, the file refuses it).
    int selectedConfigFile(bool forWriting);
    const Snapshot* selectedSnapshot();
    PortReading readConfig(unsigned lane, unsigned size);
    // The task file decoding `port`, or null; set when the port is a task file's.
    sim::IdeChannel* taskFile(uint16_t port, bool& isTaskFilePort);
    bool writeConfig(unsigned lane, uint32_t value, unsigned size);
    void closeConfigFile();
    void buildBiosArea();

    HostPaths paths_;
    bool rawPorts_ = false;
    uint32_t address_ = 0;
    OpenConfigFile openFile_;
    bool scanning_ = false;
    std::set<uint32_t> present_;              // during a walk: the functions sysfs lists
    std::map<uint32_t, Snapshot> snapshots_;  // during a walk, by bus/device/function
    sim::PhysicalMemory memory_;
    std::vector<std::unique_ptr<sim::IdeChannel>> taskFiles_;
};

}  // namespace zelkora::winio::live
