// The pages of the main window, each on its own: the About page's telephone
// list and links (and the hyperlink label they are made of), the IDE page's
// value texts, and the System page's placeholders, formats and clock.
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "app/controls/control_id.h"
#include "app/controls/hyperlink_label.h"
#include "app/pages/about_page.h"
#include "app/pages/ide_page.h"
#include "app/pages/ide_texts.h"
#include "app/pages/system_formats.h"
#include "app/pages/system_page.h"
#include "app/shell/control_ids.h"
#include "common/fixed_text.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

namespace {

QString field(const QWidget& page, int id) {
    auto* label = control<QLabel>(&page, id);
    return label ? label->text() : QStringLiteral("<no control %1>").arg(id);
}

// Several fields' texts, joined by '|'.
QString fields(const QWidget& page, std::span<const int> ids) {
    QStringList texts;
    for (int id : ids)
        texts << field(page, id);
    return texts.join(QLatin1Char('|'));
}
QString fields(const QWidget& page, std::initializer_list<int> ids) {
    return fields(page, std::span(ids.begin(), ids.size()));
}

IDEDeviceInfo ataDisk() {
    IDEDeviceInfo disk{1, 0xAA, 0x0040, 0x007E, 0x0003, 0x203F, 78165360, {}, {}, {}};
    common::copyText(disk.SerialNumber, "    WD-WMA9N1234567");
    common::copyText(disk.ModelNumber, "WDC WD400BB-00DEA0");
    common::copyText(disk.FirmwareRev, "05.03E05");
    return disk;
}

constexpr int kSystemFields[] = {system_control::kComputerName,
                                 system_control::kCurrentUser,
                                 system_control::kLanguage,
                                 system_control::kDateTime,
                                 system_control::kOsName,
                                 system_control::kOsVersion,
                                 system_control::kOtherInfo,
                                 system_control::kTotalSize,
                                 system_control::kAvailablePhysical,
                                 system_control::kTotalPages,
                                 system_control::kProcessor,
                                 system_control::kVendor,
                                 system_control::kSocketType,
                                 system_control::kFamily,
                                 system_control::kModel,
                                 system_control::kStepping,
                                 system_control::kInClock,
                                 system_control::kFsb,
                                 system_control::kRatio,
                                 system_control::kBoardManufacturer,
                                 system_control::kBoardModel,
                                 system_control::kBoardRevision,
                                 system_control::kBoardReleaseDate,
                                 system_control::kBiosVendor,
                                 system_control::kBiosVersion,
                                 system_control::kRomSize};

constexpr char kSystemMachine[] = R"({"system": {
  "computerName": "BENCH-1", "userName": "tester", "clock": "2003-03-05 09:07:02",
  "language": "0x0409",
  "memory": {"totalPhysical": 536870912, "availablePhysical": 4294967295, "totalPageFile": 1023},
  "version": {"platformId": 2, "major": 5, "minor": 1, "build": 2600, "servicePack": "Service Pack 2"}
}})";

}  // namespace

class PagesTest : public QObject {
    Q_OBJECT
  private slots:
    void telephoneListOpensOnTheFirstOfSixRegions_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QStringList>("regions");
        QTest::newRow("English") << Language::English
                                 << QStringList{"Taiwan", "USA",     "Shanghai",
                                                "Japan",  "Germany", "Netherlands"};
        QTest::newRow("Simplified Chinese")
            << Language::SimplifiedChinese
            << QStringList{"上海", "台湾", "美国", "日本", "德国", "荷兰"};
        QTest::newRow("Traditional Chinese")
            << Language::TraditionalChinese
            << QStringList{"台灣", "上海", "美國", "日本", "德國", "荷蘭"};
    }
    void telephoneListOpensOnTheFirstOfSixRegions() {
        QFETCH(Language, language);
        QFETCH(QStringList, regions);
        AboutPage page(language);
        auto* list = control<QComboBox>(&page, about_control::kTelephoneList);
        QCOMPARE(list->count(), 6);
        QCOMPARE(list->currentIndex(), 0);
        for (int i = 0; i < 6; ++i) {
            QVERIFY2(list->itemText(i).startsWith(regions[i] + ": "),
                     qPrintable(list->itemText(i)));
        }
    }

    void fiveBlueUnderlinedLinksWithTheHandCursor() {
        AboutPage page(Language::English);
        QStringList opened;
        for (int id : about_control::kLinks) {
            auto* link = control<HyperlinkLabel>(&page, id);
            QVERIFY(link);
            QVERIFY(link->link());
            QCOMPARE(link->textColor(), QColor(0, 0, 255));
            QVERIFY(link->font().underline());
            QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
            QVERIFY(QUrl(link->text()).host().endsWith(QStringLiteral("example.com")));
            link->setOpener([&](const QString& address) { opened << address; });
        }
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTest::mouseClick(control<HyperlinkLabel>(&page, about_control::kForum), Qt::LeftButton);
        QCOMPARE(opened, QStringList{"http://forum.example.com/"});
    }

    // A left click hands the label's current text to the opener; a right
    // click, or any click while the link flag is cleared, passes.
    void linkLabelOpensItsCurrentTextOnALeftClick() {
        QWidget window;
        window.resize(300, 60);
        auto* label = new HyperlinkLabel(&window);
        label->setGeometry(10, 10, 250, 20);
        label->setText(QStringLiteral("http://www.example.com/"));
        QStringList opened;
        label->setOpener([&](const QString& address) { opened << address; });
        QVERIFY2(!label->testAttribute(Qt::WA_SetCursor), "no cursor of its own until set");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(label, Qt::LeftButton);
        label->setText(QStringLiteral("http://forum.example.com/"));
        QTest::mouseClick(label, Qt::LeftButton);
        QTest::mouseClick(label, Qt::RightButton);
        QCOMPARE(opened, (QStringList{"http://www.example.com/", "http://forum.example.com/"}));

        const QPoint centre = label->geometry().center();
        label->setLink(false);
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, centre);
        QCOMPARE(opened.size(), 2);
        label->setLink(true);
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, centre);
        QCOMPARE(opened.size(), 3);
    }

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

    void ideRecordsFillTheGroupsInOrder() {
        IdePage page(Language::English);
        const IDEDeviceInfo cdRom{4, 0x55, 0x8580, 0x0004, 0x0001, 0x55AA, 12345, {}, {}, {}};
        const IDEDeviceInfo records[] = {ataDisk(), IDEDeviceInfo{}, cdRom, IDEDeviceInfo{}};
        page.showRecords(records);
        QCOMPARE(fields(page, ide_control::kValueFields[0]),
                 QStringLiteral("    WD-WMA9N1234567|WDC WD400BB-00DEA0|05.03E05|"
                                "Not removable|ATA/ATAPI-6|Ultra DMA 5|PIO mode 4|40020"));
        QCOMPARE(fields(page, ide_control::kValueFields[1]),
                 QStringLiteral("None|None|None|None|None|None|None|None"));
        QCOMPARE(fields(page, ide_control::kValueFields[2]),
                 QStringLiteral("|||Removable device|SupportsATA-2|Unknown|PIO mode 3|-"));
    }

    // Absent drives show "None" in every field; records past the fourth are not shown.
    void absentDrivesAndRecordsPastTheFourthShowNone() {
        IdePage page(Language::TraditionalChinese);
        std::array<IDEDeviceInfo, 6> records{};
        records[4] = ataDisk();
        page.showRecords(records);
        int none = 0;
        for (const auto& group : ide_control::kValueFields) {
            for (int id : group)
                none += field(page, id) == "None";
        }
        QCOMPARE(none, 32);
        auto* serialLabel = page.findChild<QLabel*>(QStringLiteral("serialLabel1093"));
        QCOMPARE(serialLabel->text(), QStringLiteral("產品序號"));
    }

    void closedLibraryLeavesTheIdePageAndEmptiesTheRecords() {
        testing::SimulatedMachine machine(R"({"system": {}})");
        IdePage page(Language::English);
        page.refresh();  // the library is not open: no list
        QVERIFY(page.records().empty());
        for (const auto& group : ide_control::kValueFields) {
            for (int id : group)
                QCOMPARE(field(page, id), QStringLiteral("Static"));
        }
    }

    void systemPageShowsStaticAndNoClockBeforeTheFirstFill() {
        SystemPage page(Language::SimplifiedChinese);
        for (int id : kSystemFields)
            QCOMPARE(field(page, id), QStringLiteral("Static"));
        QVERIFY(!page.clock().isActive());
        QCOMPARE(field(page, system_control::kTotalSizeLabel), QStringLiteral("物理内存"));
        QCOMPARE(
            control<QWidget>(&page, system_control::kSystemGroup)->property("title").toString(),
            QStringLiteral("系统环境"));
    }

    void systemFillFormatsTheRecords() {
        testing::SimulatedMachine machine(kSystemMachine);
        QVERIFY(machine.open());
        SystemPage page(Language::English);
        page.fill();
        // 4194303: the available memory is shifted unsigned.
        QCOMPARE(fields(page, {system_control::kComputerName, system_control::kCurrentUser,
                               system_control::kDateTime, system_control::kOsVersion,
                               system_control::kOtherInfo, system_control::kTotalSize,
                               system_control::kAvailablePhysical, system_control::kTotalPages}),
                 QStringLiteral("BENCH-1|tester|2003/3/5 9:7:2|5.1.2600|Service Pack 2|524288|"
                                "4194303|0"));
        for (int id : kSystemFields)
            QVERIFY2(field(page, id) != "Static", qPrintable(QString::number(id)));
        const QStringList texts{system::hexText(15), system::hexText(0), system::ratioText(10.5f),
                                system::ratioText(18.0f), system::kilobytesText(1024)};
        QCOMPARE(texts.join(QLatin1Char('|')), QStringLiteral("F|0|10.5|18.0|1"));
    }

    void secondFillRestartsTheOneClock() {
        testing::SimulatedMachine machine(R"({"system": {}})");
        QVERIFY(machine.open());
        SystemPage page(Language::English);
        page.fill();
        page.fill();
        QCOMPARE(page.findChildren<QTimer*>().size(), 1);
        QVERIFY(page.clock().isActive());
        QCOMPARE(page.clock().interval(), 1000);
        // The clock rewrites the date and time field on its own.
        control<QLabel>(&page, system_control::kDateTime)->setText(QStringLiteral("stale"));
        QTRY_VERIFY_WITH_TIMEOUT(field(page, system_control::kDateTime) != "stale", 3000);
    }

    void failedVersionQueryKeepsTheOsFields() {
        SystemPage page(Language::English);
        {
            testing::SimulatedMachine machine(kSystemMachine);
            QVERIFY(machine.open());
            page.fill();
        }
        testing::SimulatedMachine failing(R"({"system": {"computerName": "OTHER",
            "memory": {"totalPhysical": 1048576},
            "version": {"queryFails": true}}})");
        QVERIFY(failing.open());
        page.fill();
        QCOMPARE(fields(page, {system_control::kOsName, system_control::kOsVersion,
                               system_control::kOtherInfo, system_control::kComputerName,
                               system_control::kTotalSize}),
                 QStringLiteral("Microsoft Windows XP|5.1.2600|Service Pack 2|OTHER|1024"));
    }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
