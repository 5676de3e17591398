#pragma once

#include <cstdint>
#include <span>

#include <QDialog>

#include "app/shell/language.h"

class QLabel;
class QListWidget;

namespace zelkora::app {

class CHexGridCtrl;

// What the PCI and the Super-I/O register dialogs share: a device list, the
// hex grid on the selected device's 256 registers, "Current Offset" and the
// pending edit (offset and value of the last changed byte, kept as text in
// the hidden fields 1231 and 1232, "-" when there is none). Every digit the
// user types is written to the device at once; Refresh writes the pending
// edit again and re-reads the device. A one-line notice in the dialog says
// when a write was refused or the device cannot be read.
class RegisterDialog : public QDialog {
    Q_OBJECT
  public:
    CHexGridCtrl& grid() const { return *grid_; }
    QListWidget& deviceList() const { return *list_; }
    // The text of a value field by its control number.
    QString fieldText(int id) const;
    // The notice line; empty when nothing needs saying.
    QString notice() const;

    void refresh();

  protected:
    enum class Notice { None, WriteRefused, UnknownChip, UnreadBytes, NoPortAccess, NoChip };

    RegisterDialog(Language language, QWidget* parent);

    // Called by the subclass once its form is set up: finds the common
    // controls, lays the grid out with its row and column labels and wires
    // the list, the buttons and the grid's notifications.
    void attachForm(int listId, int gridId);

    void setField(int id, const QString& text);
    // A list entry; a description too long for the list shows whole as its tool tip.
    void addEntry(const QString& description);
    // SetData, hide, 16 per row, address and hex columns without characters,
    // narrow address, show: the order in which the grid is configured.
    void showRegisters(std::span<const uint8_t> registers);
    // `detail` fills the notice's place holder (the unread bytes' offsets);
    // `second` a second one (an unknown chip's port).
    void setNotice(Notice notice, const QString& detail = {}, const QString& second = {});
    Notice currentNotice() const { return shownNotice_; }
    int selectedEntry() const { return selected_; }
    Language language() const { return language_; }

    // Re-reads the selected entry into the grid and the fields.
    virtual void loadSelected() = 0;
    // Writes one register of the selected entry; false when the driver
    // refused any part of the write.
    virtual bool writeRegister(uint8_t offset, uint8_t value) = 0;
    // The grid's tool tip for byte `offset` of what it shows; none by default.
    virtual QString byteToolTip(int /*offset*/) const { return {}; }

    void keyPressEvent(QKeyEvent* event) override;

  private:
    void selectionChanged();
    void writePending(uint8_t offset, uint8_t value);
    void placeGridLabels(QWidget* area);

    Language language_;
    CHexGridCtrl* grid_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* notice_ = nullptr;
    Notice shownNotice_ = Notice::None;
    int selected_ = -1;
    int pendingOffset_ = 0;
};

// "%2.2Xh", "%4.4Xh" and "%8.8Xh".
QString hexByteText(unsigned value);
QString hexWordText(unsigned value);
QString hexDwordText(uint32_t value);

}  // namespace zelkora::app
