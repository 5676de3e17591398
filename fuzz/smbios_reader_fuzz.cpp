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
#include "tests/support/test_driver.h"
#include "winio/sim/simulated_board.h"
#include "zelkora/sysinfo.h"

using namespace zelkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kSegment = 0x10000;
    const auto board = std::make_shared<winio::sim::SimulatedBoard>();
    std::vector<uint8_t> segment(kSegment, 0);
    std::copy_n(data, std::min(size, kSegment), segment.begin());
    board->memory().addRegion(0xF0000, std::move(segment));
    if (size > kSegment)
        board->memory().addRegion(0x100000, std::vector<uint8_t>(data + kSegment, data + size));
    const auto driver = std::make_shared<testing::TestDriver>(board);
    driver->openAccess();
    hw::setDriver(driver);

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
        reader.findStructure(0);
        reader.findStructure(4);
    }
    if (InitializeSysInfoLib() == 1) {
        ProcessorInfo info{};
        GetProcessorInfo(&info);
        UninitializeSysInfoLib();
    }
    hw::setDriver(nullptr);
    return 0;
}
