#include <QApplication>

#include "app/app_info.h"
#include "app/editors/editor_commands.h"
#include "app/persist/persist_commands.h"
#include "app/shell/main_app.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(zelkora::app::kProgramName));
    zelkora::app::MainApp::Environment environment;
    zelkora::app::addEditorCommands(environment.handlers);
    zelkora::app::addPersistCommands(environment.handlers);
    zelkora::app::MainApp program(std::move(environment));
    const auto outcome = program.run();
    return outcome == zelkora::app::MainApp::Outcome::Ran ? 0 : 1;
}
