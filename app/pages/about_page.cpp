#include "app/pages/about_page.h"

#include <QComboBox>
#include <QCursor>
#include <QPixmap>

#include "app/controls/control_id.h"
#include "app/controls/hyperlink_label.h"
#include "app/pages/translated_texts.h"
#include "app/shell/app_resources.h"
#include "app/shell/control_ids.h"
#include "app/shell/fonts.h"
#include "ui_about_page.h"

namespace zelkora::app {

namespace {

constexpr std::array<TranslatedText, 8> kTexts{{
    {"versionLine", {"Zelkora Version R1.02", "Zelkora 版本 R1.02", "Zelkora 版本 R1.02"}},
    {"thanksLine",
     {"Thank you for choosing Mirel!", "感谢您选用Mirel的产品!", "感謝您選用Mirel的產品!"}},
    {"telephoneLabel", {"Telephone:", "联系电话:", "聯絡電話:"}},
    {"webLabel", {"Web:", "网    址:", "網    址:"}},
    {"downloadLabel", {"Download:", "下    载:", "下    載:"}},
    {"reportLabel", {"Test Report:", "测试报告:", "測試報告:"}},
    {"forumLabel", {"eForum:", "论    坛:", "eForum:"}},
    {"faqLabel", {"F A Q:", "F A Q:", "F A Q:"}},
}};

// The regional offices' numbers (fictitious, from the ranges kept for examples).
struct Office {
    const char* number;
    std::array<const char*, 3> region;
};
constexpr Office kTaiwan{"+886-2-5550-0101", {"Taiwan", "台湾", "台灣"}};
constexpr Office kUsa{"+1-202-555-0102", {"USA", "美国", "美國"}};
constexpr Office kShanghai{"+86-21-5550-0103", {"Shanghai", "上海", "上海"}};
constexpr Office kJapan{"+81-3-5550-0104", {"Japan", "日本", "日本"}};
constexpr Office kGermany{"+49-30-5550-0105", {"Germany", "德国", "德國"}};
constexpr Office kNetherlands{"+31-20-5550-0106", {"Netherlands", "荷兰", "荷蘭"}};

// Each language lists its own region first.
constexpr std::array<std::array<const Office*, 6>, 3> kOfficeOrder{{
    {&kTaiwan, &kUsa, &kShanghai, &kJapan, &kGermany, &kNetherlands},
    {&kShanghai, &kTaiwan, &kUsa, &kJapan, &kGermany, &kNetherlands},
    {&kTaiwan, &kShanghai, &kUsa, &kJapan, &kGermany, &kNetherlands},
}};

struct WebLink {
    int id;
    const char* address;
};
constexpr std::array<WebLink, 5> kWebLinks{{
    {about_control::kWebSite, "http://www.example.com/"},
    {about_control::kDownload, "http://www.example.com/download/"},
    {about_control::kTestReport, "http://www.example.com/testreport/"},
    {about_control::kForum, "http://forum.example.com/"},
    {about_control::kFaq, "http://www.example.com/faq/"},
}};

const QCursor& handCursor() {
    // Cursor 141: the hot spot is the tip of the pointing finger.
    static const QCursor cursor(QPixmap(QStringLiteral(":/images/cursor-141.png")), 9, 1);
    return cursor;
}

}  // namespace

AboutPage::AboutPage(Language language, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::AboutPage>()) {
    loadResources();
    ui_->setupUi(this);
    useWindowFont(*this, language);
    applyTexts(this, kTexts, language);
    for (const auto& link : kWebLinks) {
        auto* label = control<HyperlinkLabel>(this, link.id);
        label->setText(QString::fromLatin1(link.address));
        label->setLink(true)
            .setTextColor(QColor(0, 0, 255))
            .setUnderline(true)
            .setLinkCursor(handCursor());
    }
    fillTelephoneList(language);
}

AboutPage::~AboutPage() = default;

void AboutPage::fillTelephoneList(Language language) {
    auto* list = control<QComboBox>(this, about_control::kTelephoneList);
    list->clear();
    for (const Office* office : kOfficeOrder[static_cast<std::size_t>(language)]) {
        list->addItem(QString::fromUtf8(inLanguage(office->region, language)) +
                      QStringLiteral(": ") + QString::fromLatin1(office->number));
    }
    list->setCurrentIndex(0);
}

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_about_page.cpp"
