#include <cstdlib>
#include <exception>
#include <string_view>

#include "platform/machine/machine_file.h"
#include "winio/core/backend.h"
#include "winio/live/live_host.h"
#include "winio/sim/board_builder.h"

namespace zelkora::winio {

std::unique_ptr<Backend> openBackendFromEnvironment(std::string& error) {
    const char* machine = std::getenv("ZELKORA_MACHINE");
    if (machine && *machine) {
        try {
            return sim::loadBoard(machine);
        } catch (const platform::machine::MachineError& failure) {
            error = failure.what();
        } catch (const std::exception& failure) {
            error = std::string(machine) + ": " + failure.what();
        }
        return nullptr;
    }
    const char* raw = std::getenv("ZELKORA_RAW_PORTS");
    return std::make_unique<live::LiveHost>(live::HostPaths{}, raw && std::string_view(raw) == "1");
}

}  // namespace zelkora::winio
