// Any bytes as the BIOS area of physical memory (F0000h-FFFFFh, the rest at
// 100000h): the SMBIOS reader finds, walks and searches whatever table they
// hold, and the processor probe reads it; never a crash, an overrun or a hang.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "lib/hw/driver.h"
#include "lib/probes/smbios_reader.h"
#include "winio/sim/physical_memory.h"
#include "zelkora/sysinfo.h"

namespace {

using namespace zelkora;

class MemoryDriver : public hw::Driver {
  public:
    explicit MemoryDriver(winio::sim::PhysicalMemory memory) : memory_(std::move(memory)) {}
    bool initializeWinIo() override { return true; }
    int32_t shutdownWinIo() override { return 1; }
    bool getPortVal(uint16_t, uint32_t* value, uint8_t) override {
        if (value) *value = 0xFFFF'FFFF;
        return true;
    }
    bool setPortVal(uint16_t, uint32_t, uint8_t) override { return true; }
    bool getPhysByte(uint32_t address, uint8_t* value) override { return read(address, value, 1); }
    bool getPhysWord(uint32_t address, uint16_t* value) override {
        uint8_t bytes[2];
        if (!read(address, bytes, 2)) return false;
        *value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
        return true;
    }
    bool getPhysLong(uint32_t address, uint32_t* value) override {
        uint8_t bytes[4];
        if (!read(address, bytes, 4)) return false;
        *value = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                 uint32_t{bytes[3]} << 24;
        return true;
    }
    bool getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) override {
        return read(address, buffer, length);
    }

  private:
    bool read(uint32_t address, uint8_t* out, size_t length) {
        return memory_.read(address, std::span(out, length));
    }
    winio::sim::PhysicalMemory memory_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kSegment = 0x10000;
    winio::sim::PhysicalMemory memory;
    std::vector<uint8_t> segment(kSegment, 0);
    std::copy_n(data, std::min(size, kSegment), segment.begin());
    memory.addRegion(0xF0000, std::move(segment));
    if (size > kSegment)
        memory.addRegion(0x100000, std::vector<uint8_t>(data + kSegment, data + size));
    hw::setDriver(std::make_unique<MemoryDriver>(std::move(memory)));

    probes::SmbiosReader reader;
    if (reader.Open() == probes::kSmbiosOk) {
        // A walk of twice the declared count, through the wrap at the end.
        std::vector<uint8_t> buffer(size_t{reader.maxStructureSize()} + 1);
        uint16_t handle = 0, length = 0;
        for (unsigned i = 0; i < 2u * reader.structureCount() + 2 && i < 4096; ++i) {
            if (reader.ReadNext(handle, buffer, length) != probes::kSmbiosOk) break;
            if (length > buffer.size()) __builtin_trap();
            for (unsigned n = 1; n <= 4; ++n)
                probes::smbiosString(std::span(buffer).first(length), n);
        }
        reader.FindStructure(0);
        reader.FindStructure(4);
    }
    if (InitializeSysInfoLib() == 1) {
        ProcessorInfo info{};
        GetProcessorInfo(&info);
        UninitializeSysInfoLib();
    }
    hw::setDriver(nullptr);
    return 0;
}
