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
        QCOMPARE(majorVersionText(0x0008), QStringLiteral("ATA/ATAPI-3"));
        QCOMPARE(majorVersionText(0x4000), QStringLiteral("ATA/ATAPI-14"));
        QCOMPARE(majorVersionText(0x0000), QStringLiteral("Not report"));
        QCOMPARE(majorVersionText(0xFFFF), QStringLiteral("Not report"));
        QCOMPARE(majorVersionText(0x8003), QStringLiteral("Not report"));
        QCOMPARE(majorVersionText(0x55AA), QStringLiteral("Unknown"));
        QCOMPARE(dmaModeText(0x0080), QStringLiteral("Ultra DMA 7"));
        QCOMPARE(dmaModeText(0x0001), QStringLiteral("Ultra DMA 0"));
        QCOMPARE(dmaModeText(0x0700), QStringLiteral("Unknown"));  // no Ultra DMA mode at all
        QCOMPARE(pioModeText(0x0000), QStringLiteral("Unknown"));
        QCOMPARE(pioModeText(0x55AA), QStringLiteral("Unknown"));
        QCOMPARE(mediaTypeText(0x0000), QStringLiteral("Unknown"));
        IDEDeviceInfo disk = ataDisk();
        disk.TotalSectors = 0xFFFFFFFF;  // the product needs 64 bits
        QCOMPARE(capacityText(disk), QStringLiteral("2199023"));
    }

    void recordsFillTheGroupsInOrder() {
        IdePage page(Language::English);
        const IDEDeviceInfo records[] = {ataDisk(), IDEDeviceInfo{}, cdRom(), IDEDeviceInfo{}};
        page.showRecords(records);
        const auto& master = IdePage::kValueFields[0];
        QCOMPARE(field(page, master[0]), QStringLiteral("    WD-WMA9N1234567"));
        QCOMPARE(field(page, master[1]), QStringLiteral("WDC WD400BB-00DEA0"));
        QCOMPARE(field(page, master[2]), QStringLiteral("05.03E05"));
        QCOMPARE(field(page, master[3]), QStringLiteral("Not removable"));
        QCOMPARE(field(page, master[4]), QStringLiteral("ATA/ATAPI-6"));
        QCOMPARE(field(page, master[5]), QStringLiteral("Ultra DMA 5"));
        QCOMPARE(field(page, master[6]), QStringLiteral("PIO mode 4"));
        QCOMPARE(field(page, master[7]), QStringLiteral("40020"));
        for (int id : IdePage::kValueFields[1])
            QCOMPARE(field(page, id), QStringLiteral("None"));
        const auto& cd = IdePage::kValueFields[2];
        QCOMPARE(field(page, cd[3]), QStringLiteral("Removable device"));
        QCOMPARE(field(page, cd[4]), QStringLiteral("SupportsATA-2"));
        QCOMPARE(field(page, cd[5]), QStringLiteral("Unknown"));
        QCOMPARE(field(page, cd[6]), QStringLiteral("PIO mode 3"));
        QCOMPARE(field(page, cd[7]), QStringLiteral("-"));
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
