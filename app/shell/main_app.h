#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include <QString>

#include "app/shell/command_handlers.h"
#include "app/shell/language.h"
#include "app/shell/window_templates.h"

namespace zelkora::app {

class MainWindow;

// The program's start-up: one copy only, the library opened, the language
// chosen, the main window run modally; the library closes with the window.
class MainApp {
  public:
    static constexpr int kOpenAttempts = 4;
    static constexpr const char* kAlreadyRunning = "Application already running!";
    static constexpr const char* kLibraryError =
        "Initialize Systeminfo library error,please retry!";

    enum class Outcome { AlreadyRunning, LibraryError, Ran };

    // What start-up talks to; tests replace the parts that would block.
    struct Environment {
        std::filesystem::path lockDirectory;              // empty: the user's runtime directory
        std::function<void(const QString&)> showMessage;  // empty: a message box
        std::function<void(MainWindow&)> runMainWindow;   // empty: exec()
        CommandHandlers handlers;
        ModalRunner runModal;  // empty: exec()
    };

    explicit MainApp(Environment environment = {});

    Outcome run();

    uint8_t languageCode() const { return languageCode_; }
    Language language() const { return language_; }
    int templateFor(WindowRole role) const { return templateId(role, language_); }

  private:
    void showMessage(const char* text);

    Environment environment_;
    uint8_t languageCode_ = 0;
    Language language_ = Language::English;
};

}  // namespace zelkora::app
