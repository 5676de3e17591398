// Any bytes as a machine description: parsed and built into a board and
// services, or refused with a MachineError; never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/machine/machine_file.h"
#include "platform/registry/hive.h"
#include "platform/sim/simulated_services.h"
#include "winio/sim/board_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zelkora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        // File names resolve into a folder that holds nothing, so the
        // fuzzer never reads real files.
        auto file =
            platform::machine::MachineFile::parse(text, "fuzz.json", "/nonexistent-zelkora");
        auto board = winio::sim::buildBoard(*file);
        auto services = platform::makeSimulatedServices(*file);
        uint8_t byte = 0;
        board->readPhysical(0xFE0C1, {&byte, 1});
        board->writePort(0xCF8, 0x8000'0000, 4);
        board->readPort(0xCFC, 4);
        services->version();
    } catch (const platform::machine::MachineError&) {
    } catch (const platform::registry::RegFileError&) {
    }
    return 0;
}
