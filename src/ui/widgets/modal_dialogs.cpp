#include "ui/widgets/modal_dialogs.h"

#include "ui/widgets/msg_box.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zmt::ui {

Answer ModalDialogs::runMessageBox(QMessageBox& box) { return execMsgBox(box); }

QString ModalDialogs::runFileDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace zmt::ui
