#pragma once

#include "app/shell/command_handlers.h"

namespace zelkora::app {

// The File and Extra commands: Save Data (the system report), the window's
// picture to the clipboard or a BMP file, and the PCI configuration saved
// and loaded. Their file dialogs and messages run through the main window's
// modal runner.
void addPersistCommands(CommandHandlers& handlers);

// The commands one by one, for the main window given.
void saveSystemReport(MainWindow& window);
void copyWindowToClipboard(MainWindow& window);
void saveWindowAsBmp(MainWindow& window);
void savePciConfiguration(MainWindow& window);
void loadPciConfiguration(MainWindow& window);

inline constexpr const char* kBmpSaveError =
    "Error when save window image to BMP file,please retry!";

}  // namespace zelkora::app
