#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "app/editors/hex_grid_ctrl.h"
#include "app/editors/register_dialog.h"
#include "app/editors/register_tool_tips.h"
#include "app/editors/superio_listing.h"
#include "app/persist/library_ports.h"

namespace Ui {
class SuperIORegisterDialog;
}

namespace zelkora::app {

// The Super-I/O view: the chip's logical devices as the library lists them,
// the chip found and named by the dialog itself, the selected device's 256
// configuration registers in the grid, and each typed digit written at once
// through the manufacturer's configuration sequence. A chip that answers but
// that the description file does not name shows its global registers
// 00h-2Fh, read with the key that found it, and takes no writes.
class SuperIORegisterDialog : public RegisterDialog {
    Q_OBJECT
  public:
    // `descriptionFile` lies beside the program unless it is an absolute path.
    explicit SuperIORegisterDialog(Language language, QWidget* parent = nullptr,
                                   std::string_view descriptionFile = kDialogDescriptionFile);
    ~SuperIORegisterDialog() override;

    const SuperIoListing& listing() const { return listing_; }

  protected:
    void loadSelected() override;
    bool writeRegister(uint8_t offset, uint8_t value) override;
    QString byteToolTip(int offset) const override {
        return toolTips_.superIoByte(grid().data(), offset);
    }

  private:
    void enumerate(std::string_view descriptionFile);

    std::unique_ptr<Ui::SuperIORegisterDialog> ui_;
    persist::LibraryPorts ports_;
    SuperIoListing listing_;
    RegisterToolTips toolTips_;
    bool chipReachable_ = false;
    bool unlistedChip_ = false;
    // An unlisted chip's global registers as last read.
    std::array<uint8_t, 0x30> globals_{};
};

}  // namespace zelkora::app
