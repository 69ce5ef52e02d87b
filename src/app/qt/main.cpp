#include <QApplication>
#include <iostream>

#include "src/app/qt/form1.h"
#include "src/app/start_up.h"
#include "src/app/wizard_command_line.h"
#include "src/platform/app_folder.h"
#include "src/platform/process.h"

int main(int argc, char* argv[]) {
    if (const auto status = tovrin::answerWizardCommandLine(
            std::vector<std::string>(argv + 1, argv + argc), std::cout)) {
        return *status;
    }
    QApplication app(argc, argv);
    const std::string appFolder = tovrin::applicationFolder();
    auto starter = tovrin::makeScriptStarter(appFolder);
    tovrin::Form1 window(appFolder, *starter);
    tovrin::Form_Load(window.controls(), appFolder);
    window.show();
    return app.exec();
}
