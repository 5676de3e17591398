// The IDE page: the value texts of the identify words, absent drives, and
// the records kept for the report.
#include <QLabel>
#include <QtTest>

#include "app/controls/control_id.h"
#include "app/pages/ide_page.h"
#include "app/pages/ide_texts.h"
#include "common/fixed_text.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

namespace {

QString field(const QWidget& page, int id) {
    return control<QLabel>(&page, id)->text();
}

// A group's eight value fields, joined by '|'.
QString group(const QWidget& page, int index) {
    QStringList texts;
    for (int id : IdePage::kValueFields[index])
        texts << field(page, id);
    return texts.join(QLatin1Char('|'));
}

IDEDeviceInfo ataDisk() {
    IDEDeviceInfo disk{};
    disk.Position = 1;
    disk.DeviceType = 0xAA;
    disk.GenCfgInfo = 0x0040;
    disk.MajorVersion = 0x007E;
    disk.DMACapability = 0x203F;
    disk.PIOCapability = 0x0003;
    disk.TotalSectors = 78165360;
    common::copyText(disk.SerialNumber, "    WD-WMA9N1234567");
    common::copyText(disk.ModelNumber, "WDC WD400BB-00DEA0");
    common::copyText(disk.FirmwareRev, "05.03E05");
    return disk;
}

IDEDeviceInfo cdRom() {
    IDEDeviceInfo drive{};
    drive.Position = 4;
    drive.DeviceType = 0x55;
    drive.GenCfgInfo = 0x8580;
    drive.MajorVersion = 0x0004;
    drive.DMACapability = 0x55AA;
    drive.PIOCapability = 0x0001;
    drive.TotalSectors = 12345;
    return drive;
}

}  // namespace

class IdePageTest : public QObject {
    Q_OBJECT
  private slots:
    // The fill test below shows the usual texts; here are the edges.
    void identifyWordsBecomeTexts() {
        using namespace ide;
        QStringList texts;
        for (uint16_t word : {0x0008, 0x4000, 0x0000, 0xFFFF, 0x8003, 0x55AA})
            texts << majorVersionText(word);
        QCOMPARE(
            texts.join(QLatin1Char('|')),
            QStringLiteral("ATA/ATAPI-3|ATA/ATAPI-14|Not report|Not report|Not report|Unknown"));
        // 0700h has no Ultra DMA mode at all.
        texts = QStringList{dmaModeText(0x0080), dmaModeText(0x0001), dmaModeText(0x0700),
                            pioModeText(0x0000), pioModeText(0x55AA), mediaTypeText(0x0000)};
        QCOMPARE(texts.join(QLatin1Char('|')),
                 QStringLiteral("Ultra DMA 7|Ultra DMA 0|Unknown|Unknown|Unknown|Unknown"));
        IDEDeviceInfo disk = ataDisk();
        disk.TotalSectors = 0xFFFFFFFF;  // the product needs 64 bits
        QCOMPARE(capacityText(disk), QStringLiteral("2199023"));
    }

    void recordsFillTheGroupsInOrder() {
        IdePage page(Language::English);
        const IDEDeviceInfo records[] = {ataDisk(), IDEDeviceInfo{}, cdRom(), IDEDeviceInfo{}};
        page.showRecords(records);
        QCOMPARE(group(page, 0), QStringLiteral("    WD-WMA9N1234567|WDC WD400BB-00DEA0|05.03E05|"
                                                "Not removable|ATA/ATAPI-6|Ultra DMA 5|"
                                                "PIO mode 4|40020"));
        QCOMPARE(group(page, 1), QStringLiteral("None|None|None|None|None|None|None|None"));
        QCOMPARE(group(page, 2),
                 QStringLiteral("|||Removable device|SupportsATA-2|Unknown|PIO mode 3|-"));
    }

    // Absent drives show "None" in every field; records past the fourth are not shown.
    void absentDrivesAndRecordsPastTheFourthShowNone() {
        IdePage page(Language::TraditionalChinese);
        std::array<IDEDeviceInfo, 6> records{};
        records[4] = ataDisk();
        page.showRecords(records);
        int none = 0;
        for (const auto& group : IdePage::kValueFields) {
            for (int id : group)
                none += field(page, id) == "None";
        }
        QCOMPARE(none, 32);
        auto* serialLabel = page.findChild<QLabel*>(QStringLiteral("serialLabel1093"));
        QCOMPARE(serialLabel->text(), QStringLiteral("產品序號"));
    }

    void closedLibraryLeavesThePageAndEmptiesTheRecords() {
        testing::SimulatedMachine machine(R"({"system": {}})");
        IdePage page(Language::English);
        page.refresh();  // the library is not open: no list
        QVERIFY(page.records().empty());
        for (const auto& group : IdePage::kValueFields) {
            for (int id : group)
                QCOMPARE(field(page, id), QStringLiteral("Static"));
        }
    }
};

QTEST_MAIN(IdePageTest)
#include "ide_page_test.moc"
