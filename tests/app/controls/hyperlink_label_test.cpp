// The hyperlink label: its look, its cursor, and a click handing its current
// text to the opener.
#include <QtTest>

#include "app/controls/hyperlink_label.h"

using zelkora::app::HyperlinkLabel;

class HyperlinkLabelTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        window_ = std::make_unique<QWidget>();
        window_->resize(300, 60);
        label_ = new HyperlinkLabel(window_.get());
        label_->setGeometry(10, 10, 250, 20);
        label_->setText(QStringLiteral("http://www.example.com/"));
        label_->setOpener([this](const QString& address) { opened_ << address; });
        opened_.clear();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void leftClickOpensTheCurrentText() {
        QTest::mouseClick(label_, Qt::LeftButton);
        label_->setText(QStringLiteral("http://forum.example.com/"));
        QTest::mouseClick(label_, Qt::LeftButton);
        QTest::mouseClick(label_, Qt::RightButton);
        QCOMPARE(opened_, (QStringList{"http://www.example.com/", "http://forum.example.com/"}));
    }

    void clearedLinkFlagLetsClicksPass() {
        label_->setLink(false);
        QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, label_->geometry().center());
        QVERIFY(opened_.isEmpty());
        label_->setLink(true);
        QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, label_->geometry().center());
        QCOMPARE(opened_.size(), 1);
    }

    void setUpCallsChainAndChangeTheLook() {
        QVERIFY2(!label_->testAttribute(Qt::WA_SetCursor), "no cursor of its own until set");
        const QCursor hand(Qt::PointingHandCursor);
        label_->setLink(true)
            .setTextColor(QColor(0, 0, 255))
            .setUnderline(true)
            .setLinkCursor(hand);
        QCOMPARE(label_->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(label_->font().underline());
        QCOMPARE(label_->cursor().shape(), Qt::PointingHandCursor);
    }

  private:
    std::unique_ptr<QWidget> window_;
    HyperlinkLabel* label_ = nullptr;
    QStringList opened_;
};

QTEST_MAIN(HyperlinkLabelTest)
#include "hyperlink_label_test.moc"
