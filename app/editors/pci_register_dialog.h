#pragma once

#include <memory>
#include <vector>

#include "app/editors/hex_grid_ctrl.h"
#include "app/editors/register_dialog.h"
#include "app/editors/register_tool_tips.h"
#include "app/persist/library_ports.h"
#include "zelkora/sysinfo.h"

namespace Ui {
class PCIRegisterDialog;
}

namespace zelkora::app {

// The PCI view: every function the library lists, the selected one's 256
// configuration bytes in the grid with its identification beside them, and
// each typed digit written at once to the function (read-modify-write of
// the double word that holds the byte).
class PCIRegisterDialog : public RegisterDialog {
    Q_OBJECT
  public:
    explicit PCIRegisterDialog(Language language, QWidget* parent = nullptr);
    ~PCIRegisterDialog() override;

    const std::vector<PCIDeviceInfo>& records() const { return records_; }

  protected:
    void loadSelected() override;
    bool writeRegister(uint8_t offset, uint8_t value) override;
    QString byteToolTip(int offset) const override {
        return toolTips_.pciByte(grid().data(), offset);
    }

  private:
    void enumerate();

    std::unique_ptr<Ui::PCIRegisterDialog> ui_;
    persist::LibraryPorts ports_;
    std::vector<PCIDeviceInfo> records_;
    RegisterToolTips toolTips_;
};

}  // namespace zelkora::app
