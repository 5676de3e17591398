#pragma once

#include <memory>

#include <QTimer>
#include <QWidget>

#include "app/shell/language.h"

namespace Ui {
class SystemPage;
}

namespace zelkora::app {

// General, OS and memory, processor, motherboard and BIOS facts. Filled on
// each System command; after the first fill the date and time keep ticking.
class SystemPage : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClockPeriodMs = 1000;

    SystemPage(Language language, QWidget* parent = nullptr);
    ~SystemPage() override;

    void fill();
    const QTimer& clock() const { return clock_; }

  private:
    void setField(int id, const QString& text);
    void showDateTime();

    std::unique_ptr<Ui::SystemPage> ui_;
    QTimer clock_{this};
};

}  // namespace zelkora::app
