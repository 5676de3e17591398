// Shows the hex grid as the register dialogs use it: 256 bytes, 16 per row, narrow address
// column under the cells, no character column, with "Reg" and the row and column labels.
// `hexgrid-demo --screenshot FILE` writes the window's picture to FILE and quits.
#include <array>
#include <cstdint>

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QTextStream>
#include <QWidget>

#include "app/editors/hex_grid_ctrl.h"
#include "app/editors/hex_grid_painter.h"

namespace {

using zelkora::app::CHexGridCtrl;

constexpr int kMargin = 8;
constexpr int kBytesPerRow = 16;

QLabel* label(QWidget* parent, const QString& text, QRect where) {
    auto* item = new QLabel(text, parent);
    item->setFont(zelkora::app::hexGridFont());
    item->setGeometry(where);
    return item;
}

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

class RegisterView : public QWidget {
  public:
    RegisterView() {
        setWindowTitle(QStringLiteral("Hex grid"));
        std::array<std::uint8_t, 256> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i);

        grid = new CHexGridCtrl(this);
        grid->SetData(bytes);
        grid->hide();
        grid->SetBytesPerRow(kBytesPerRow);
        grid->SetColumns(true, true, false, false);
        grid->show();

        const auto& cells = grid->layout();
        const int cw = cells.charWidth;
        const int lh = cells.lineHeight;
        const QPoint origin(kMargin + 4 * cw, kMargin + lh + 2);
        grid->setGeometry(QRect(origin, grid->sizeHint()));

        label(this, QStringLiteral("Reg"), QRect(kMargin, kMargin, 3 * cw, lh));
        for (int i = 0; i < kBytesPerRow; ++i) {
            label(this, twoDigits(i),
                  QRect(origin.x() + cells.hexOffset + 3 * i * cw, kMargin, 2 * cw, lh));
            label(this, twoDigits(i), QRect(kMargin, origin.y() + i * lh, 2 * cw, lh));
        }
        setFixedSize(grid->geometry().right() + 1 + kMargin,
                     grid->geometry().bottom() + 1 + kMargin);
        connect(grid, &CHexGridCtrl::HexNotifyValue, this, [](int value) {
            QTextStream(stdout) << QStringLiteral("value %1h\n").arg(twoDigits(value));
        });
        connect(grid, &CHexGridCtrl::HexNotifyOffset, this, [](int offset) {
            QTextStream(stdout) << QStringLiteral("offset %1h, ").arg(twoDigits(offset));
        });
    }

    CHexGridCtrl* grid = nullptr;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCommandLineParser options;
    options.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Write the window's picture to <file>."),
                                        QStringLiteral("file"));
    options.addOption(screenshot);
    options.process(application);

    RegisterView view;
    view.show();
    view.activateWindow();
    view.grid->setFocus();
    if (!options.isSet(screenshot)) return QApplication::exec();

    QApplication::processEvents();
    const QString file = options.value(screenshot);
    if (!view.grab().save(file)) {
        QTextStream(stderr) << "cannot write " << file << '\n';
        return 1;
    }
    return 0;
}
