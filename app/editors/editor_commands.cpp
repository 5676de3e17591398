#include "app/editors/editor_commands.h"

#include "app/editors/pci_register_dialog.h"
#include "app/editors/superio_register_dialog.h"
#include "app/shell/main_window.h"

namespace zelkora::app {

void addEditorCommands(CommandHandlers& handlers) {
    handlers.pciDevice = [](MainWindow& window) {
        PCIRegisterDialog dialog(window.language(), &window);
        window.modalRunner()(dialog);
    };
    handlers.superIo = [](MainWindow& window) {
        SuperIORegisterDialog dialog(window.language(), &window);
        window.modalRunner()(dialog);
    };
}

}  // namespace zelkora::app
