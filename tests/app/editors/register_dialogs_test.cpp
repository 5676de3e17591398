// The PCI and Super-I/O register dialogs on simulated boards: what each typed
// digit writes (exact port traces), Refresh, the identification fields, the
// dialog's own chip detection, and the empty, unknown and refused cases.
#include <functional>
#include <map>

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QtTest>
#include <nlohmann/json.hpp>

#include "app/editors/editor_commands.h"
#include "app/editors/hex_grid_ctrl.h"
#include "app/editors/pci_register_dialog.h"
#include "app/editors/superio_register_dialog.h"
#include "app/shell/control_ids.h"
#include "app/shell/main_window.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/test_driver.h"
#include "winio/sim/port_recorder.h"
#include "zelkora/sysinfo.h"

using namespace zelkora;
using namespace zelkora::app;
using winio::sim::PortAccess;
using winio::sim::portRead;
using winio::sim::portWrite;
using Trace = std::vector<PortAccess>;

namespace {

// The demo board, changed by `edit` first.
std::unique_ptr<testing::SimulatedMachine> demoBoard(
    const std::function<void(nlohmann::json&)>& edit = [](nlohmann::json&) {}) {
    return std::make_unique<testing::SimulatedMachine>(testing::demoMachine(edit));
}

// Shows the dialog with the grid focused and starts recording.
void focusGrid(RegisterDialog& dialog, winio::sim::SimulatedBoard& board) {
    dialog.show();
    dialog.activateWindow();
    dialog.grid().setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QVERIFY(dialog.grid().hasFocus());
    board.recorder().clear();
    board.recorder().start();
}

// Clicks the high nibble of a byte: a click sends the position, nothing more.
void clickByte(CHexGridCtrl& grid, int byte) {
    const auto& cells = grid.layout();
    const QPoint centre(3 * (byte % 16) * cells.charWidth + cells.charWidth / 2,
                        byte / 16 * cells.lineHeight + cells.lineHeight / 2);
    QTest::mouseClick(&grid, Qt::LeftButton, {}, centre);
}

// The byte the grid shows at `offset`, or -1 where it shows none: a dialog
// that lost its bytes fails the comparison instead of crashing the test.
int shownByte(const RegisterDialog& dialog, std::size_t offset) {
    const auto bytes = dialog.grid().data();
    return offset < bytes.size() ? bytes[offset] : -1;
}

Trace takeTrace(winio::sim::SimulatedBoard& board) {
    Trace trace = board.recorder().accesses();
    board.recorder().clear();
    return trace;
}

bool writesAny(const Trace& trace) {
    return std::any_of(trace.begin(), trace.end(), [](const PortAccess& access) {
        return access.direction == PortAccess::Direction::Write && access.port != 0xCF8;
    });
}

// Address to 0CF8h, the dword from 0CFCh, the merged dword back.
Trace configByteWrite(uint32_t address, uint32_t before, uint32_t after) {
    return {portWrite(0xCF8, address, 4), portRead(0xCFC, before, 4), portWrite(0xCFC, after, 4)};
}

Trace& operator+=(Trace& trace, const Trace& more) {
    trace.insert(trace.end(), more.begin(), more.end());
    return trace;
}

QString field(const RegisterDialog& dialog, int id) {
    return dialog.fieldText(id);
}

// Several fields' texts, joined by '|'.
QString fields(const RegisterDialog& dialog, std::initializer_list<int> ids) {
    QStringList texts;
    for (int id : ids)
        texts << dialog.fieldText(id);
    return texts.join(QLatin1Char('|'));
}

// A dialog on a machine with nothing on it: no entry, no bytes, the notice
// given, typing and Refresh touch no port, and the fields `ids` show `texts`.
template <typename Dialog>
void expectEmptyAndSilent(std::initializer_list<int> ids, const char* texts,
                          const char* notice = "") {
    testing::SimulatedMachine machine("{}");
    QVERIFY(machine.open());
    Dialog dialog(Language::English);
    QCOMPARE(dialog.deviceList().count(), 0);
    QVERIFY(dialog.grid().data().empty());
    QCOMPARE(dialog.notice(), QString::fromUtf8(notice));
    focusGrid(dialog, machine.board());
    QTest::keyClicks(&dialog.grid(), QStringLiteral("3F"));
    dialog.refresh();
    QVERIFY(takeTrace(machine.board()).empty());
    QCOMPARE(fields(dialog, ids), QString::fromUtf8(texts));
}

// The numbers of the fields each label of `dialog` stands beside in its
// form's grids (label object name -> control number). A label may sit with
// a note in a small layout of its own in the grid's cell.
std::map<QString, int> fieldsBesideLabels(const QWidget& dialog) {
    std::map<QString, int> beside;
    for (const QGridLayout* grid : dialog.findChildren<QGridLayout*>()) {
        for (int index = 0; index < grid->count(); ++index) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            const QLayoutItem* next = grid->itemAtPosition(row, column + columns);
            if (!next || !next->widget() || !next->widget()->property("controlId").isValid())
                continue;
            QLayoutItem* cell = grid->itemAt(index);
            QList<QLayoutItem*> items{cell};
            if (cell->layout()) {
                items.clear();
                for (int inner = 0; inner < cell->layout()->count(); ++inner)
                    items << cell->layout()->itemAt(inner);
            }
            for (const QLayoutItem* item : items) {
                if (auto* label = qobject_cast<QLabel*>(item->widget()))
                    beside[label->objectName()] = next->widget()->property("controlId").toInt();
            }
        }
    }
    return beside;
}

}  // namespace

class RegisterDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void pciDigitsAreWrittenAtOnceAndRefreshRewritesThePendingEdit() {
        auto machine = demoBoard();
        QVERIFY(machine->open());
        auto& board = machine->board();
        PCIRegisterDialog dialog(Language::English);
        QCOMPARE(dialog.deviceList().currentRow(), 0);
        // IRQ 00h shows as "-".
        QCOMPARE(fields(dialog, {pci_control::kBusNumber, pci_control::kVendorId,
                                 pci_control::kDeviceId, pci_control::kSubsystem, pci_control::kIrq,
                                 register_control::kCurrentOffset, register_control::kPendingOffset,
                                 register_control::kPendingValue}),
                 QStringLiteral("00h|8086h|2570h|80F21043h|-|-|-|-"));
        focusGrid(dialog, board);

        // Host bridge 00:00.0, dword 01h = bytes 04h-07h: 06h 00h 90h 00h.
        clickByte(dialog.grid(), 0x04);
        QCOMPARE(field(dialog, register_control::kCurrentOffset), QStringLiteral("04h"));
        QTest::keyClick(&dialog.grid(), Qt::Key_3, {});
        QTest::keyClick(&dialog.grid(), Qt::Key_F, {});
        Trace expected = configByteWrite(0x8000'0004, 0x0090'0006, 0x0090'0036);
        expected += configByteWrite(0x8000'0004, 0x0090'0036, 0x0090'003F);
        QCOMPARE(takeTrace(board), expected);
        QCOMPARE(fields(dialog, {register_control::kCurrentOffset, register_control::kPendingOffset,
                                 register_control::kPendingValue}),
                 QStringLiteral("05h|04h|3Fh"));
        QVERIFY(dialog.notice().isEmpty());

        // Refresh writes the pending byte again, then re-reads all 64 dwords.
        dialog.refresh();
        Trace trace = takeTrace(board);
        QCOMPARE(trace.size(), 3u + 128u);
        QCOMPARE(Trace(trace.begin(), trace.begin() + 3),
                 configByteWrite(0x8000'0004, 0x0090'003F, 0x0090'003F));
        QCOMPARE(trace.back(), portRead(0xCFC, 0, 4));
        // Only a selection clears the offset.
        QCOMPARE(
            fields(dialog, {register_control::kCurrentOffset, register_control::kPendingOffset}),
            QStringLiteral("-|04h"));
        QCOMPARE(shownByte(dialog, 0x04), 0x3F);

        // Another entry: pending edit gone, so Refresh only reads.
        const auto& records = dialog.records();
        const auto ide = std::find_if(records.begin(), records.end(), [](const auto& record) {
            return record.Device == 0x1F && record.Function == 1;  // IRQ FFh
        });
        QVERIFY(ide != records.end());
        dialog.deviceList().setCurrentRow(static_cast<int>(ide - records.begin()));
        QCOMPARE(fields(dialog, {pci_control::kIrq, register_control::kPendingOffset}),
                 QStringLiteral("-|-"));  // IRQ FFh
        takeTrace(board);
        dialog.refresh();
        trace = takeTrace(board);
        QCOMPARE(trace.size(), 128u);
        QVERIFY(!writesAny(trace));
        dialog.deviceList().setCurrentRow(2);  // 00:09.0, IRQ 0Bh
        QCOMPARE(field(dialog, pci_control::kIrq), QStringLiteral("0Bh"));
    }

    void pciBridgeShowsDword2CAndEscapeClosesOnlyOutsideTheGrid() {
        auto machine = demoBoard([](nlohmann::json& m) {
            m["pci"]["functions"][1]["bytes"]["0x2C"] = "0x34";
            m["pci"]["functions"][1]["bytes"]["0x2F"] = "0x56";
        });
        QVERIFY(machine->open());
        PCIRegisterDialog dialog(Language::SimplifiedChinese);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("PCI设备"));
        QCOMPARE(dialog.height(), 292 * 13 / 8);
        dialog.deviceList().setCurrentRow(1);  // 00:01.0, header type 1
        QCOMPARE(field(dialog, pci_control::kSubsystem), QStringLiteral("56000034h"));
        focusGrid(dialog, machine->board());
        QTest::keyClick(&dialog.grid(), Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        dialog.deviceList().setFocus();
        QTest::keyClick(&dialog.deviceList(), Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    void pciEmptyBusAndRefusedWrites() {
        expectEmptyAndSilent<PCIRegisterDialog>(
            {pci_control::kIrq, pci_control::kVendorId, pci_control::kSubsystem,
             pci_control::kDeviceClass, pci_control::kBusNumber, register_control::kCurrentOffset},
            "|||||-");
        auto machine = demoBoard();
        machine->driver().refuseWrite =
            testing::configDataPort;  // as for a user who may not write them
        QVERIFY(machine->open());
        PCIRegisterDialog dialog(Language::English);
        focusGrid(dialog, machine->board());
        QTest::keyClick(&dialog.grid(), Qt::Key_3);
        QVERIFY2(dialog.notice().contains(QStringLiteral("refused")), qPrintable(dialog.notice()));
        QCOMPARE(shownByte(dialog, 0), 0x36);  // the typed digit stays until Refresh
        dialog.refresh();
        QCOMPARE(shownByte(dialog, 0), 0x86);  // Refresh shows the true contents
        QVERIFY(!dialog.notice().isEmpty());   // the rewrite was refused too
    }

    void superIoListsByItsOwnDetectionAndWritesWinbondRegisters() {
        auto machine = demoBoard();
        QVERIFY(machine->open());
        SuperIORegisterDialog dialog(Language::TraditionalChinese);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Super-I/O裝置"));
        // The infrared record has no PnP code: six of the library's seven.
        QCOMPARE(dialog.deviceList().count(), 6);
        QCOMPARE(dialog.deviceList().item(3)->text(), QStringLiteral("ECP Printer Port (LPT1)"));
        const auto& records = dialog.listing().records;
        QCOMPARE(records[1].LogicalDevice, 2);  // UART A
        QCOMPARE(records[2].LogicalDevice, 3);  // UART B
        QCOMPARE(records[3].LogicalDevice, 1);
        QCOMPARE(dialog.listing().configPort, 0x2E);
        QCOMPARE(fields(dialog, {superio_control::kChipType, superio_control::kChipId,
                                 superio_control::kChipRevision, superio_control::kIoAddress}),
                 QStringLiteral("Winbond W83627HF/F/HG/G|52h|17h|03F0h - 03F7h"));
        QCOMPARE(shownByte(dialog, 0x74), 0x02);

        dialog.deviceList().setCurrentRow(3);
        QCOMPARE(field(dialog, superio_control::kIoAddress),
                 QStringLiteral("0378h - 037Fh;0778h - 077Ah"));
        QCOMPARE(shownByte(dialog, 0xF0), 0x3B);
        focusGrid(dialog, machine->board());
        clickByte(dialog.grid(), 0xF0);
        QTest::keyClick(&dialog.grid(), Qt::Key_5);
        const Trace expected{portWrite(0x2E, 0x87), portWrite(0x2E, 0x87), portWrite(0x2E, 0x07),
                             portWrite(0x2F, 0x01), portWrite(0x2E, 0xF0), portWrite(0x2F, 0x5B),
                             portWrite(0x2E, 0xAA)};
        QCOMPARE(takeTrace(machine->board()), expected);
        QCOMPARE(field(dialog, register_control::kPendingValue), QStringLiteral("5Bh"));
        dialog.refresh();
        QCOMPARE(shownByte(dialog, 0xF0), 0x5B);  // read back from the chip
    }

    void superIoIteIsNamedByItsSixteenBitSection() {
        auto machine = demoBoard([](nlohmann::json& m) {
            m["superio"] = {{"method", "ite"},
                            {"port", "0x2E"},
                            {"id", "0x8712"},
                            {"revision", "0x07"},
                            {"logicalDevices", {{"0", {{"0x60", "0x03"}, {"0x61", "0xF0"}}}}}};
        });
        QVERIFY(machine->open());
        SuperIORegisterDialog dialog(Language::English);
        QVERIFY(dialog.deviceList().count() > 0);
        QCOMPARE(dialog.listing().manufacturer, std::string("ITE"));
        QCOMPARE(fields(dialog, {superio_control::kChipType, superio_control::kChipId,
                                 superio_control::kChipRevision}),
                 QStringLiteral("ITE IT8712F|8712h|07h"));
        focusGrid(dialog, machine->board());
        clickByte(dialog.grid(), 0x61);
        QTest::keyClick(&dialog.grid(), Qt::Key_E);
        const Trace expected{portWrite(0x2E, 0x87), portWrite(0x2E, 0x01), portWrite(0x2E, 0x55),
                             portWrite(0x2E, 0x55), portWrite(0x2E, 0x07), portWrite(0x2F, 0x00),
                             portWrite(0x2E, 0x61), portWrite(0x2F, 0xE0), portWrite(0x2E, 0x02),
                             portWrite(0x2F, 0x02)};
        QCOMPARE(takeTrace(machine->board()), expected);
    }

    void superIoViaBridgeWriteSequence() {
        auto machine = demoBoard([](nlohmann::json& m) {
            m["pci"]["functions"].push_back({{"address", "00:07.0"},
                                             {"vendor", "0x1106"},
                                             {"device", "0x0686"},
                                             {"class", "0x060100"},
                                             {"bytes", {{"0x85", "0x01"}}}});
            m["superio"] = {{"method", "via"},
                            {"registers", {{"0xE0", "0x3C"}, {"0xE3", "0xFC"}, {"0xE7", "0xFE"}}}};
        });
        QVERIFY(machine->open());
        SuperIORegisterDialog dialog(Language::English);
        QVERIFY(dialog.deviceList().count() > 0);
        QCOMPARE(dialog.listing().manufacturer, std::string("VIA VT686"));
        QCOMPARE(field(dialog, superio_control::kChipType), QStringLiteral("VIA VT82C686"));
        QCOMPARE(shownByte(dialog, 0xE3), 0xFC);
        QCOMPARE(shownByte(dialog, 0xE6), 0x00);  // the bridge echoes an unset index
        QVERIFY(dialog.notice().isEmpty());
        focusGrid(dialog, machine->board());
        clickByte(dialog.grid(), 0xE6);
        QTest::keyClick(&dialog.grid(), Qt::Key_D);
        // Vendor check of 00:07.0, bit 1 of byte 85h (set by the walk, so not written
        // again), then index and value.
        const Trace expected{portWrite(0xCF8, 0x8000'3800, 4), portRead(0xCFC, 0x0686'1106, 4),
                             portWrite(0xCF8, 0x8000'3884, 4), portRead(0xCFD, 0x03),
                             portWrite(0x3F0, 0xE6),           portWrite(0x3F1, 0xD0)};
        QCOMPARE(takeTrace(machine->board()), expected);
    }

    void superIoWithoutChipOrWithAnUnlistedOneWritesNothing() {
        expectEmptyAndSilent<SuperIORegisterDialog>(
            {superio_control::kDeviceClass, superio_control::kIoAddress, superio_control::kChipId,
             superio_control::kChipType, superio_control::kChipRevision},
            "||||", "No Super-I/O chip answered on ports 2Eh, 4Eh, 370h or 3F0h.");
        // An ITE chip that the file does not list: its global registers, read
        // with the ITE key that found it, whatever entry is chosen.
        auto machine = demoBoard([](nlohmann::json& m) {
            m["superio"] = {{"method", "ite"},
                            {"port", "0x2E"},
                            {"id", "0x8696"},
                            {"revision", "0x01"},
                            {"globals", {{"0x07", "0x05"}, {"0x2F", "0x5A"}}}};
        });
        QVERIFY(machine->open());
        SuperIORegisterDialog dialog(Language::English);
        QVERIFY(dialog.deviceList().count() > 1);
        QCOMPARE(dialog.notice(), QStringLiteral("Chip 8696h at port 2Eh is not in the chip file: "
                                                 "registers 00h-2Fh, never written."));
        std::vector<uint8_t> globals(0x30);
        globals[0x07] = 0x05, globals[0x20] = 0x86, globals[0x21] = 0x96, globals[0x22] = 0x01,
        globals[0x2F] = 0x5A;
        const auto shown = [&] {
            return std::vector<uint8_t>(dialog.grid().data().begin(), dialog.grid().data().end());
        };
        QCOMPARE(shown(), globals);
        focusGrid(dialog, machine->board());
        const auto* line = dialog.findChild<QLabel*>(QStringLiteral("noticeLabel"));
        QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) <= line->width());
        clickByte(dialog.grid(), 0x07);
        QTest::keyClicks(&dialog.grid(), QStringLiteral("3F"));
        QVERIFY(takeTrace(machine->board()).empty());
        QCOMPARE(shown(), globals);
        QCOMPARE(fields(dialog, {register_control::kCurrentOffset, register_control::kPendingOffset,
                                 register_control::kPendingValue}),
                 QStringLiteral("-|-|-"));
        dialog.deviceList().setCurrentRow(1);
        Trace expected;
        for (uint8_t reg = 0; reg < 0x30; ++reg) {
            expected += {portWrite(0x2E, 0x87), portWrite(0x2E, 0x01), portWrite(0x2E, 0x55),
                         portWrite(0x2E, 0x55), portWrite(0x2E, reg),  portRead(0x2F, globals[reg]),
                         portWrite(0x2E, 0x02), portWrite(0x2F, 0x02)};
        }
        QCOMPARE(takeTrace(machine->board()), expected);
        QCOMPARE(shown(), globals);
    }

    // A host that refuses what it will not read: bytes 40h-FFh to an ordinary
    // user, and every Super-I/O port without raw port access. Both say so.
    void unreadBytesAndUnreachablePortsAreNamed() {
        auto machine =
            demoBoard([](nlohmann::json& m) { m["pci"]["functions"][0]["readableBytes"] = 64; });
        QVERIFY(machine->open());
        PCIRegisterDialog dialog(Language::English);
        QCOMPARE(dialog.notice(), QStringLiteral("Bytes 40h-FFh could not be read (only root may "
                                                 "read them); they show FFh."));
        dialog.deviceList().setCurrentRow(1);
        QVERIFY(dialog.notice().isEmpty());

        const testing::FakeRoot root("zelkora-dialog-root");
        QVERIFY(testing::openLiveLibrary());
        SuperIORegisterDialog superIo(Language::English);
        QVERIFY2(superIo.notice().startsWith(
                     QStringLiteral("No Super-I/O chip can be reached without raw port access")),
                 qPrintable(superIo.notice()));
        testing::resetLibrary();
    }

    // The numbers the code writes fields by are the ones the forms give the
    // fields beside their labels.
    void numberedFieldsSitBesideTheirLabels() {
        testing::SimulatedMachine machine("{}");
        QVERIFY(machine.open());
        using Beside = std::map<QString, int>;
        const Beside pci{{"busLabel", pci_control::kBusNumber},
                         {"deviceLabel", pci_control::kDeviceNumber},
                         {"functionLabel", pci_control::kFunctionNumber},
                         {"vendorLabel", pci_control::kVendorId},
                         {"deviceIdLabel", pci_control::kDeviceId},
                         {"revisionLabel", pci_control::kRevision},
                         {"subsystemLabel", pci_control::kSubsystem},
                         {"irqLabel", pci_control::kIrq},
                         {"classLabel", pci_control::kDeviceClass}};
        const Beside superIo{{"typeLabel", superio_control::kChipType},
                             {"chipIdLabel", superio_control::kChipId},
                             {"chipRevisionLabel", superio_control::kChipRevision},
                             {"classLabel", superio_control::kDeviceClass},
                             {"addressLabel", superio_control::kIoAddress}};
        for (const Language language : {Language::English, Language::SimplifiedChinese}) {
            const Beside shownPci = fieldsBesideLabels(PCIRegisterDialog(language));
            const Beside shownSuperIo = fieldsBesideLabels(SuperIORegisterDialog(language));
            for (const auto& [label, id] : pci)
                QCOMPARE(shownPci.count(label) ? shownPci.at(label) : -1, id);
            for (const auto& [label, id] : superIo)
                QCOMPARE(shownSuperIo.count(label) ? shownSuperIo.at(label) : -1, id);
        }
    }

    void altPAndAltOOpenTheDialogs() {
        auto machine = demoBoard();
        QVERIFY(machine->open());
        CommandHandlers handlers;
        addEditorCommands(handlers);
        QStringList opened;
        MainWindow window(Language::English, 0, handlers, [&](QDialog& dialog) {
            if (auto* pci = qobject_cast<PCIRegisterDialog*>(&dialog)) {
                opened << QStringLiteral("pci:%1").arg(pci->deviceList().count());
            } else if (auto* superIo = qobject_cast<SuperIORegisterDialog*>(&dialog)) {
                opened << QStringLiteral("superio:%1").arg(superIo->deviceList().count());
            }
            return 0;
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
        QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
        QCOMPARE(opened, (QStringList{QStringLiteral("pci:11"), QStringLiteral("superio:6")}));
    }
};

QTEST_MAIN(RegisterDialogsTest)
#include "register_dialogs_test.moc"
