#pragma once

#include <functional>

class QDialog;

namespace zelkora::app {

class MainWindow;

// The commands that other parts of the program carry out over the main
// window. An empty handler does nothing.
struct CommandHandlers {
    using Handler = std::function<void(MainWindow&)>;

    Handler pciDevice;              // 32780: the PCI Device dialog
    Handler superIo;                // 32788: the Super-I/O dialog
    Handler saveData;               // 32771: the system report
    Handler saveBitmapToClipboard;  // 32790
    Handler saveBitmapToFile;       // 32791
    Handler savePciConfig;          // 32798
    Handler loadPciConfig;          // 32799
};

// Runs a dialog modally and returns its result; tests replace it so that
// nothing blocks.
using ModalRunner = std::function<int(QDialog&)>;

}  // namespace zelkora::app
