#pragma once

#include "app/shell/command_handlers.h"

namespace zelkora::app {

// View > PCI device (32780) and View > Super-I/O (32788): each builds its
// register dialog in the main window's language and runs it modally over the
// main window through the window's modal runner.
void addEditorCommands(CommandHandlers& handlers);

}  // namespace zelkora::app
