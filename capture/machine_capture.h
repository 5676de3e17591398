#pragma once

#include <filesystem>
#include <ostream>

namespace zelkora::platform {
class SystemServices;
}
namespace zelkora::winio {
class Backend;
}

namespace zelkora::capture {

// Describes the live host as a machine file (JSON) at `out`, with the
// registry the live layer built beside it (`out` with the extension .reg), so
// that ZELKORA_MACHINE=out replays the host. Everything is read the way the
// library reads it: PCI configuration space, the BIOS area and the drives'
// identify words through the driver's ports and physical memory, the rest
// from the platform services. Nothing is written to the hardware except the
// drives' identify commands. Bytes the host would not read are left out and
// marked so that a replay refuses them too (and `errors` says so). Both
// files appear, or neither. Returns kCaptured, kAccessRefused when the
// driver cannot be opened, or kFileError when a file cannot be written; the
// reason goes to `errors`.
inline constexpr int kCaptured = 0;
inline constexpr int kAccessRefused = 1;
inline constexpr int kFileError = 2;
int captureMachine(const std::filesystem::path& out, std::ostream& errors);

// The same from the sources given (tests, other hosts).
int captureMachine(winio::Backend& ports, platform::SystemServices& system,
                   const std::filesystem::path& out, std::ostream& errors);

}  // namespace zelkora::capture
