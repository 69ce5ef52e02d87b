#include "src/app/qt/system_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "src/app/qt/widget_text.h"

namespace tovrin {

void SystemDialogs::messageBox(const std::string& text, const std::string& title,
                               MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    toQt(title), toQt(text), QMessageBox::Ok, owner_);
    box.exec();
}

bool SystemDialogs::chooseFolder(std::string* path) {
    QString chosen =
        QFileDialog::getExistingDirectory(owner_, QString(), "/", QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return false;
    *path = fromQt(chosen);
    return true;
}

bool SystemDialogs::chooseOpenFile(const std::string& title, const std::string& filter,
                                   const std::string& defaultExt, std::string* path) {
    QFileDialog dialog(owner_, toQt(title), QString(), toQt(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QString ext = toQt(defaultExt);
    dialog.setDefaultSuffix(ext.startsWith("*.") ? ext.mid(2) : ext);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    *path = fromQt(dialog.selectedFiles().first());
    return true;
}

}  // namespace tovrin
