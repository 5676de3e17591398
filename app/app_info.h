#pragma once

namespace zelkora::app {

// The program's name: window captions and message box captions.
inline constexpr const char* kProgramName = "Zelkora";

}  // namespace zelkora::app
