// Every window laid out in every language, under the locale ctest runs it
// with (C, zh_CN.UTF-8, zh_TW.UTF-8): no text is wider or taller than its
// control, no control overlaps a sibling or leaves its parent, and a value
// too long for its field is cut at its end with the whole text as tool tip.
// Needs the CJK face that scripts/install-deps.sh installs.
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QTextLayout>
#include <QToolTip>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>

#include "app/controls/control_id.h"
#include "app/controls/value_field.h"
#include "app/editors/pci_register_dialog.h"
#include "app/editors/superio_register_dialog.h"
#include "app/pages/ide_page.h"
#include "app/shell/band_widget.h"
#include "app/shell/command_ids.h"
#include "app/shell/control_ids.h"
#include "app/shell/fonts.h"
#include "app/shell/main_window.h"
#include "app/shell/reminder_dialog.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

namespace {

QString describe(const QWidget* widget) {
    const QVariant id = widget->property(kControlIdProperty);
    return QStringLiteral("%1 %2%3").arg(
        QString::fromLatin1(widget->metaObject()->className()), widget->objectName(),
        id.isValid() ? QStringLiteral(" (%1)").arg(id.toInt()) : QString());
}

// The widest line of a text and the height of its lines as laid out in
// `font`, with whatever faces fill in glyphs that `font` lacks.
QSize textSize(const QFont& font, const QString& text) {
    int width = 0;
    int height = 0;
    for (const QString& each : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(each, font);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        width = std::max(width, static_cast<int>(std::ceil(line.naturalTextWidth())));
        height += static_cast<int>(std::ceil(line.height()));
    }
    return {width, height};
}

void checkFits(const QWidget* widget, const QString& text, const QRect& room,
               QStringList& problems) {
    const QSize needed = textSize(widget->font(), text);
    if (needed.width() > room.width() || needed.height() > room.height()) {
        problems << QStringLiteral("%1: \"%2\" needs %3x%4, has %5x%6")
                        .arg(describe(widget), text)
                        .arg(needed.width())
                        .arg(needed.height())
                        .arg(room.width())
                        .arg(room.height());
    }
}

void checkText(const QWidget* widget, QStringList& problems) {
    if (const auto* field = qobject_cast<const ValueField*>(widget)) {
        // A value may be cut at its end, never beyond its field.
        checkFits(field, field->shownText(), field->contentsRect(), problems);
    } else if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->pixmap().isNull() && !label->wordWrap())
            checkFits(label, label->text(),
                      label->contentsRect().marginsRemoved(
                          QMargins(label->margin(), 0, label->margin(), 0)),
                      problems);
    } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, group);
        checkFits(group, group->title(), title.intersected(group->rect()), problems);
        // The title stays above the first row.
        for (const QWidget* child : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && child->geometry().intersects(title))
                problems << QStringLiteral("%1 covers the title of %2")
                                .arg(describe(child), describe(group));
        }
    } else if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        checkFits(button, button->text(), button->rect().adjusted(4, 2, -4, -2), problems);
    } else if (const auto* list = qobject_cast<const QComboBox*>(widget)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect edit = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, list);
        checkFits(list, list->currentText(), edit, problems);
    } else if (const auto* band = qobject_cast<const BandWidget*>(widget)) {
        // The maker's name reads upwards from 5 pixels in and 10 above the bottom.
        const QFont font = band->makerFont();
        if (!QFontInfo(font).italic())
            problems
                << QStringLiteral("the band's face %1 has no italic").arg(QFontInfo(font).family());
        checkFits(band, QString::fromLatin1(BandWidget::kMakerText),
                  QRect(0, 0, band->height() - 10, band->width() - 5), problems);
    }
}

// The object names of the shown value fields that cut their text.
QStringList cutFields(const QWidget& window) {
    QStringList cut;
    for (const ValueField* field : window.findChildren<ValueField*>()) {
        if (field->isVisibleTo(&window) && field->isElided()) cut << field->objectName();
    }
    return cut;
}

// Walks a window: every shown control's text fits it, every shown control lies
// inside its parent, and no two shown siblings overlap.
QStringList layoutProblems(const QWidget& window) {
    QStringList problems;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->isWindow()) continue;
        checkText(widget, problems);
        const QWidget* parent = widget->parentWidget();
        if (!parent->rect().contains(widget->geometry()))
            problems << QStringLiteral("%1 leaves %2").arg(describe(widget), describe(parent));
        // Qt's own parts of a control (a scroll area's bars) place themselves.
        if (widget->objectName().startsWith(QStringLiteral("qt_"))) continue;
        for (const QWidget* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (sibling <= widget || !sibling->isVisibleTo(&window) || sibling->isWindow() ||
                sibling->objectName().startsWith(QStringLiteral("qt_")))
                continue;
            if (sibling->geometry().intersects(widget->geometry()))
                problems
                    << QStringLiteral("%1 overlaps %2").arg(describe(widget), describe(sibling));
        }
    }
    return problems;
}

// The windows under test, built in a language, filled from the demo board and
// shown, with the value fields whose demo value is too long for them in every
// language. Add a window here by name; the checks are the same for every one.
struct WindowUnderTest {
    const char* name;
    std::function<std::unique_ptr<QWidget>(Language)> make;
    QStringList cutFields;  // object names
};

std::unique_ptr<QWidget> mainWindowShowing(Language language, int command) {
    auto window = std::make_unique<MainWindow>(language, static_cast<uint8_t>(language),
                                               CommandHandlers{}, [](QDialog&) { return 0; });
    window->dispatch(command);
    return window;
}

const std::vector<WindowUnderTest>& windows() {
    static const std::vector<WindowUnderTest> all{
        {"About", [](Language l) { return mainWindowShowing(l, command::kAbout); }, {}},
        {"System", [](Language l) { return mainWindowShowing(l, command::kSystem); }, {}},
        // IDE2 master's model, "HL-DT-ST DVD-ROM GDR8163B".
        {"IDE",
         [](Language l) { return mainWindowShowing(l, command::kIdeDevice); },
         {"value1075"}},
        {"Reminder", [](Language l) { return std::make_unique<ReminderDialog>(l); }, {}},
        {"PCI Device", [](Language l) { return std::make_unique<PCIRegisterDialog>(l); }, {}},
        {"Super-I/O", [](Language l) { return std::make_unique<SuperIORegisterDialog>(l); }, {}},
    };
    return all;
}

constexpr std::array<std::pair<const char*, Language>, 3> kLanguages{{
    {"en", Language::English},
    {"zh-CN", Language::SimplifiedChinese},
    {"zh-TW", Language::TraditionalChinese},
}};

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // The Chinese rows are measured for a compact CJK face; the desktop's
        // tall default would fail every Chinese window.
        for (Language chinese : {Language::SimplifiedChinese, Language::TraditionalChinese}) {
            const QFont font = windowFont(chinese);
            const int line = QFontMetrics(font).height();
            QVERIFY2(line <= 14, qPrintable(QStringLiteral("%1 has %2-pixel lines, the rows allow "
                                                           "14; scripts/install-deps.sh installs "
                                                           "the compact CJK face")
                                                .arg(QFontInfo(font).family())
                                                .arg(line)));
        }
    }
    void init() {
        machine_ = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        QVERIFY(machine_->open());
    }
    void cleanup() { machine_.reset(); }

    void everyWindowFitsItsTexts_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("language");
        for (std::size_t w = 0; w < windows().size(); ++w) {
            for (const auto& [suffix, language] : kLanguages)
                QTest::addRow("%s/%s", windows()[w].name, suffix)
                    << static_cast<int>(w) << static_cast<int>(language);
        }
    }

    void everyWindowFitsItsTexts() {
        QFETCH(int, window);
        QFETCH(int, language);
        const WindowUnderTest& under = windows()[static_cast<std::size_t>(window)];
        const auto shown = under.make(static_cast<Language>(language));
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        const QStringList problems = layoutProblems(*shown);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        // Only values too long for any layout are cut; a squeezed column would
        // cut short ones too.
        const QStringList cut = cutFields(*shown);
        QVERIFY2(cut == under.cutFields, qPrintable(QStringLiteral("cut: ") + cut.join(' ')));
    }

    // The check itself: a clipped caption, an overlap and a child outside its
    // group are all reported.
    void theCheckFindsClippingAndOverlap() {
        QWidget window;
        window.resize(200, 100);
        auto* caption = new QLabel(QStringLiteral("a caption far too long for it"), &window);
        caption->setGeometry(0, 0, 40, 20);
        auto* other = new QLabel(QStringLiteral("x"), &window);
        other->setGeometry(30, 10, 20, 20);
        auto* group = new QGroupBox(QStringLiteral("G"), &window);
        group->setGeometry(100, 0, 50, 50);
        auto* outside = new QLabel(QStringLiteral("y"), group);
        outside->setGeometry(40, 40, 20, 20);
        window.show();
        const QString problems = layoutProblems(window).join(QLatin1Char('\n'));
        QVERIFY2(problems.contains(QStringLiteral("far too long")), qPrintable(problems));
        QVERIFY2(problems.contains(QStringLiteral("overlaps")), qPrintable(problems));
        QVERIFY2(problems.contains(QStringLiteral("leaves")), qPrintable(problems));
    }

    // The demo's ATAPI model is wider than its field in every language: it shows
    // its start and an ellipsis, and its whole text as tool tip.
    void aLongValueIsCutAtItsEnd() {
        for (const auto& [suffix, language] : kLanguages) {
            QVERIFY(machine_->open());  // each main window closes the library behind it
            MainWindow window(language, static_cast<uint8_t>(language), {},
                              [](QDialog&) { return 0; });
            window.dispatch(command::kIdeDevice);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            IdePage& page = window.idePage();
            auto* model =
                control<ValueField>(&page, ide_control::kValueFields[2][ide_control::kModelNumber]);
            QVERIFY(model);
            const QString whole = QStringLiteral("HL-DT-ST DVD-ROM GDR8163B");
            QCOMPARE(model->text(), whole);
            QVERIFY2(model->isElided(), suffix);
            QVERIFY(model->shownText().endsWith(QChar(0x2026)));
            QVERIFY(whole.startsWith(model->shownText().chopped(1)));
            QVERIFY(model->shownText().size() > 8);
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), model->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(model, &help);
            QCOMPARE(QToolTip::text(), whole);
            QToolTip::hideText();

            // A value that fits is shown whole, with no tool tip of its own.
            auto* firmware =
                control<ValueField>(&page, ide_control::kValueFields[2][ide_control::kFirmwareRev]);
            QVERIFY(!firmware->isElided());
        }
    }

  private:
    std::unique_ptr<testing::SimulatedMachine> machine_;
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
