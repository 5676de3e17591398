#pragma once

namespace zelkora::app {

// Registers the program's images (icons, toolbar, cursor, About picture).
// The windows call it themselves: a static library's resources are not
// registered by linking alone. Safe to call more than once.
void loadResources();

}  // namespace zelkora::app
