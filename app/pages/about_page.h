#pragma once

#include <memory>

#include <QWidget>

#include "app/shell/language.h"

namespace Ui {
class AboutPage;
}

namespace zelkora::app {

// The first page: version, picture, thanks, the support telephone list and
// five web links.
class AboutPage : public QWidget {
    Q_OBJECT
  public:
    AboutPage(Language language, QWidget* parent = nullptr);
    ~AboutPage() override;

  private:
    void fillTelephoneList(Language language);

    std::unique_ptr<Ui::AboutPage> ui_;
};

}  // namespace zelkora::app
