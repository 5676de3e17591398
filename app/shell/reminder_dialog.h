#pragma once

#include <memory>

#include <QDialog>

#include "app/shell/language.h"

namespace Ui {
class ReminderDialog;
}

namespace zelkora::app {

// Shown once at every start: the program reads the hardware directly, so
// other programs should be closed first.
class ReminderDialog : public QDialog {
    Q_OBJECT
  public:
    ReminderDialog(Language language, QWidget* parent = nullptr);
    ~ReminderDialog() override;

  private:
    std::unique_ptr<Ui::ReminderDialog> ui_;
};

}  // namespace zelkora::app
