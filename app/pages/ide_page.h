#pragma once

#include <memory>
#include <span>
#include <vector>

#include <QWidget>

#include "app/shell/language.h"
#include "zelkora/sysinfo.h"

namespace Ui {
class IdePage;
}

namespace zelkora::app {

// The four IDE positions: one group per position with the drive's identity,
// media type, ATA version, transfer modes and capacity.
class IdePage : public QWidget {
    Q_OBJECT
  public:
    IdePage(Language language, QWidget* parent = nullptr);
    ~IdePage() override;

    // Reads the library's list again and shows it; with no list the fields
    // keep what they showed.
    void refresh();
    // Fills the groups in order from the records (at most four are shown).
    void showRecords(std::span<const IDEDeviceInfo> records);
    // The records of the last refresh, for the system report.
    const std::vector<IDEDeviceInfo>& records() const { return records_; }

  private:
    void setField(int id, const QString& text);

    std::unique_ptr<Ui::IdePage> ui_;
    std::vector<IDEDeviceInfo> records_;
};

}  // namespace zelkora::app
