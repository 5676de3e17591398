#include "app/shell/main_app.h"

#include <QMessageBox>

#include "app/app_info.h"
#include "app/shell/fonts.h"
#include "app/shell/instance_guard.h"
#include "app/shell/main_window.h"
#include "zelkora/sysinfo.h"

namespace zelkora::app {

MainApp::MainApp(Environment environment) : environment_(std::move(environment)) {}

void MainApp::showMessage(const char* text) {
    const QString message = QString::fromLatin1(text);
    if (environment_.showMessage) {
        environment_.showMessage(message);
    } else {
        QMessageBox::information(nullptr, QString::fromLatin1(kProgramName), message);
    }
}

MainApp::Outcome MainApp::run() {
    const auto directory = environment_.lockDirectory.empty() ? InstanceGuard::defaultDirectory()
                                                              : environment_.lockDirectory;
    const auto guard = InstanceGuard::acquire(directory);
    if (!guard) {
        showMessage(kAlreadyRunning);
        return Outcome::AlreadyRunning;
    }

    bool opened = false;
    for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt) {
        opened = InitializeSysInfoLib() == 1;
    }
    if (!opened) {
        showMessage(kLibraryError);
        return Outcome::LibraryError;
    }

    const int32_t result = GetLocalLanguageCode(&languageCode_);
    language_ = languageFromCode(result, languageCode_);
    useApplicationFont(language_);

    MainWindow window(language_, languageCode_, environment_.handlers, environment_.runModal);
    if (environment_.runMainWindow) {
        environment_.runMainWindow(window);
    } else {
        window.exec();
    }
    return Outcome::Ran;
}

}  // namespace zelkora::app
