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
    // Value fields of each group, in the order serial number, model, firmware,
    // media type, major version, DMA mode, PIO mode, capacity.
    static constexpr std::array<std::array<int, 8>, 4> kValueFields{{
        {1050, 1052, 1054, 1104, 1058, 1059, 1060, 1101},
        {1061, 1062, 1063, 1106, 1064, 1065, 1066, 1105},
        {1074, 1075, 1076, 1111, 1077, 1078, 1079, 1110},
        {1087, 1088, 1089, 1116, 1090, 1091, 1092, 1115},
    }};
    static constexpr std::array<int, 4> kGroups{1048, 1067, 1080, 1093};

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
