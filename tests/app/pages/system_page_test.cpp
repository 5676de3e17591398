// The System page: placeholders before the first fill, the record formats,
// one clock however often it is filled, and OS fields that a failed version
// query leaves alone.
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "app/controls/control_id.h"
#include "app/pages/system_formats.h"
#include "app/pages/system_page.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

namespace {

constexpr int kValueFields[] = {1014, 1018, 1021, 1020, 1042, 1028, 1044, 1045, 1043,
                                1046, 1058, 1060, 1087, 1062, 1027, 1040, 1029, 1084,
                                1041, 1076, 1075, 1074, 1073, 1083, 1082, 1081};

QString field(const QWidget& page, int id) {
    auto* label = control<QLabel>(&page, id);
    return label ? label->text() : QStringLiteral("<no control %1>").arg(id);
}

// Several fields' texts, joined by '|'.
QString fields(const QWidget& page, std::initializer_list<int> ids) {
    QStringList texts;
    for (int id : ids)
        texts << field(page, id);
    return texts.join(QLatin1Char('|'));
}

constexpr char kMachine[] = R"({"system": {
  "computerName": "BENCH-1", "userName": "tester", "clock": "2003-03-05 09:07:02",
  "language": "0x0409",
  "memory": {"totalPhysical": 536870912, "availablePhysical": 4294967295, "totalPageFile": 1023},
  "version": {"platformId": 2, "major": 5, "minor": 1, "build": 2600, "servicePack": "Service Pack 2"}
}})";

}  // namespace

class SystemPageTest : public QObject {
    Q_OBJECT
  private slots:
    void showsStaticAndNoClockBeforeTheFirstFill() {
        SystemPage page(Language::SimplifiedChinese);
        for (int id : kValueFields)
            QCOMPARE(field(page, id), QStringLiteral("Static"));
        QVERIFY(!page.clock().isActive());
        QCOMPARE(field(page, 1030), QStringLiteral("物理内存"));
        QCOMPARE(control<QWidget>(&page, 1012)->property("title").toString(),
                 QStringLiteral("系统环境"));
    }

    void fillFormatsTheRecords() {
        testing::SimulatedMachine machine(kMachine);
        QVERIFY(machine.open());
        SystemPage page(Language::English);
        page.fill();
        // 4194303: the available memory is shifted unsigned.
        QCOMPARE(fields(page, {1014, 1018, 1020, 1028, 1044, 1045, 1043, 1046}),
                 QStringLiteral("BENCH-1|tester|2003/3/5 9:7:2|5.1.2600|Service Pack 2|524288|"
                                "4194303|0"));
        for (int id : kValueFields)
            QVERIFY2(field(page, id) != "Static", qPrintable(QString::number(id)));
    }

    void formatsOfTheProcessorAndVersionFields() {
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
        control<QLabel>(&page, SystemPage::kDateTimeField)->setText(QStringLiteral("stale"));
        QTRY_VERIFY_WITH_TIMEOUT(field(page, SystemPage::kDateTimeField) != "stale", 3000);
    }

    void failedVersionQueryKeepsTheOsFields() {
        SystemPage page(Language::English);
        {
            testing::SimulatedMachine machine(kMachine);
            QVERIFY(machine.open());
            page.fill();
        }
        testing::SimulatedMachine failing(R"({"system": {"computerName": "OTHER",
            "memory": {"totalPhysical": 1048576},
            "version": {"queryFails": true}}})");
        QVERIFY(failing.open());
        page.fill();
        QCOMPARE(fields(page, {1042, 1028, 1044, 1014, 1045}),
                 QStringLiteral("Microsoft Windows XP|5.1.2600|Service Pack 2|OTHER|1024"));
    }
};

QTEST_MAIN(SystemPageTest)
#include "system_page_test.moc"
