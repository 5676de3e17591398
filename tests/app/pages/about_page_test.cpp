// The About page: the telephone list of each language and the five links.
#include <QComboBox>
#include <QtTest>

#include "app/controls/control_id.h"
#include "app/controls/hyperlink_label.h"
#include "app/pages/about_page.h"

using namespace zelkora::app;

class AboutPageTest : public QObject {
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
        auto* list = control<QComboBox>(&page, AboutPage::kTelephoneList);
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
        for (int id : AboutPage::kLinks) {
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
        QTest::mouseClick(control<HyperlinkLabel>(&page, 1026), Qt::LeftButton);
        QCOMPARE(opened, QStringList{"http://forum.example.com/"});
    }
};

QTEST_MAIN(AboutPageTest)
#include "about_page_test.moc"
