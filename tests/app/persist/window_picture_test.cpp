// The window picture under a real window manager (run by
// scripts/with-window-manager.sh): what the clipboard and the BMP file get
// when the command comes from the File menu must be the window as an outside
// tool reads it off the screen afterwards, pixel for pixel, menus closed.
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QtTest>

#include "app/persist/persist_commands.h"
#include "app/shell/main_window.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

namespace {

// Generous: a loaded machine (the whole test suite two at a time) may take
// seconds to map a window or a menu.
constexpr int kPatience = 30000;

QAction* findAction(const QList<QAction*>& actions, const QString& text) {
    for (QAction* action : actions) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

// Clicks File, then Save Bitmap..., then the command, as a user does.
void chooseFromFileMenu(MainWindow& window, const QString& command) {
    QMenuBar& bar = window.menuBar();
    QAction* file = findAction(bar.actions(), QStringLiteral("&File"));
    QVERIFY(file && file->menu());
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.actionGeometry(file).center());
    QVERIFY(QTest::qWaitForWindowExposed(file->menu(), kPatience));
    QAction* bitmap = findAction(file->menu()->actions(), QStringLiteral("Save Bitmap..."));
    QVERIFY(bitmap && bitmap->menu());
    // The sub-menu opens from the keyboard; the command is clicked.
    file->menu()->setActiveAction(bitmap);
    QTest::keyClick(file->menu(), Qt::Key_Right);
    QVERIFY(QTest::qWaitFor([&] { return bitmap->menu()->isVisible(); }, kPatience));
    QVERIFY(QTest::qWaitForWindowExposed(bitmap->menu(), kPatience));
    QTest::qWait(200);  // both menus drawn on the screen
    QAction* target = findAction(bitmap->menu()->actions(), command);
    QVERIFY(target);
    QTest::mouseClick(bitmap->menu(), Qt::LeftButton, {},
                      bitmap->menu()->actionGeometry(target).center());
}

// The window's frame as ImageMagick reads it off the X screen.
QImage screenShot(const QRect& frame, const QString& file) {
    QTest::qWait(500);  // whatever the window manager and the program still draw
    const int status = QProcess::execute(QStringLiteral("import"),
                                         {QStringLiteral("-silent"), QStringLiteral("-window"),
                                          QStringLiteral("root"), QStringLiteral("-crop"),
                                          QStringLiteral("%1x%2+%3+%4")
                                              .arg(frame.width())
                                              .arg(frame.height())
                                              .arg(frame.x())
                                              .arg(frame.y()),
                                          file});
    return status == 0 ? QImage(file).convertToFormat(QImage::Format_RGB32) : QImage();
}

// Where two pictures first differ, or "none".
QString firstDifference(const QImage& picture, const QImage& screen) {
    if (picture.size() != screen.size()) return QStringLiteral("sizes differ");
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if ((picture.pixel(x, y) & 0xFFFFFF) != (screen.pixel(x, y) & 0xFFFFFF))
                return QStringLiteral("%1,%2: %3 against %4")
                    .arg(x)
                    .arg(y)
                    .arg(picture.pixel(x, y), 8, 16)
                    .arg(screen.pixel(x, y), 8, 16);
        }
    }
    return QStringLiteral("none");
}

}  // namespace

class WindowPictureTest : public QObject {
    Q_OBJECT
  protected:
    // A tool tip that the pointer left behind would open its own window on
    // the screen between the picture and the outside shot.
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::ToolTip; }

  private slots:
    void pictureIsTheWindowWithoutItsMenus() {
        QVERIFY2(QGuiApplication::platformName() == QStringLiteral("xcb"),
                 "needs an X display with a window manager");
        qApp->installEventFilter(this);
        auto machine = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        QVERIFY(machine->open());
        const testing::ScratchDir folder("zelkora-window-picture");
        const QString bmp = QString::fromStdString((folder.path() / "window.bmp").string());
        CommandHandlers handlers;
        addPersistCommands(handlers);
        MainWindow window(Language::English, 0, handlers, [&](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) files->selectFile(bmp);
            return int(QDialog::Accepted);
        });
        // A window mapped while the manager is still starting up can stay
        // without a frame: it is mapped again, as a user would reopen it.
        bool framed = false;
        for (int attempt = 0; attempt < 3 && !framed; ++attempt) {
            window.hide();
            window.show();
            QVERIFY(QTest::qWaitForWindowActive(&window, kPatience));
            framed = QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); },
                                     kPatience / 3);
        }
        QVERIFY2(framed, "the window manager draws a frame");
        QTest::qWait(300);

        QGuiApplication::clipboard()->clear();
        chooseFromFileMenu(window, QStringLiteral("to Clipboard"));
        const QImage copied =
            QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        const QString shot = QString::fromStdString((folder.path() / "screen.png").string());
        const QImage screen = screenShot(window.frameGeometry(), shot);
        QVERIFY(!screen.isNull());
        QCOMPARE(copied.size(), window.frameGeometry().size());
        QCOMPARE(firstDifference(copied, screen), QStringLiteral("none"));

        chooseFromFileMenu(window, QStringLiteral("to BMP file"));
        const QImage saved = QImage(bmp, "BMP").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(firstDifference(saved, screenShot(window.frameGeometry(), shot)),
                 QStringLiteral("none"));
    }
};

QTEST_MAIN(WindowPictureTest)
#include "window_picture_test.moc"
