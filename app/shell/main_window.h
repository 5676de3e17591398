#pragma once

#include <array>
#include <cstdint>

#include <QDialog>

#include "app/shell/command_handlers.h"
#include "app/shell/language.h"

class QMenuBar;
class QToolBar;

namespace zelkora::app {

class AboutPage;
class BandWidget;
class IdePage;
class SystemPage;

// The program's window: menu, toolbar, the painted band, and a page area
// with the About, System and IDE pages, one visible at a time. Every menu
// item, toolbar button and accelerator arrives at dispatch(). Destroying the
// window closes the system information library.
class MainWindow : public QDialog {
    Q_OBJECT
  public:
    enum class Page { About, System, Ide };

    // Page area and window size in dialog units (MS Sans Serif 8).
    static constexpr int kWidthDlu = 289, kHeightDlu = 286;
    static constexpr int kPlaceholderX = 21, kPlaceholderY = 0;
    static constexpr int kPlaceholderWidth = 264, kPlaceholderHeight = 279;

    MainWindow(Language language, uint8_t languageCode, CommandHandlers handlers = {},
               ModalRunner runModal = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    void dispatch(int commandId);
    void showPage(Page page);

    Language language() const { return language_; }
    uint8_t languageCode() const { return languageCode_; }
    Page currentPage() const { return currentPage_; }
    AboutPage& aboutPage() const { return *aboutPage_; }
    SystemPage& systemPage() const { return *systemPage_; }
    IdePage& idePage() const { return *idePage_; }
    QToolBar& toolBar() const { return *toolBar_; }
    QMenuBar& menuBar() const { return *menuBar_; }
    BandWidget& band() const { return *band_; }
    const ModalRunner& modalRunner() const { return runModal_; }

  private:
    void buildMenu();
    void buildToolBar();
    void buildAccelerators();
    void buildPageArea(QWidget* body);
    void showReminder();
    void runHandler(const CommandHandlers::Handler& handler);
    void showCurrentPageAgain();

    Language language_;
    uint8_t languageCode_;
    CommandHandlers handlers_;
    ModalRunner runModal_;
    Page currentPage_ = Page::About;
    QMenuBar* menuBar_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    BandWidget* band_ = nullptr;
    AboutPage* aboutPage_ = nullptr;
    SystemPage* systemPage_ = nullptr;
    IdePage* idePage_ = nullptr;
    std::array<QWidget*, 3> pages_{};
};

}  // namespace zelkora::app
