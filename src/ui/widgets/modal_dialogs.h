#pragma once
// How the window runs its modal dialogs: the message boxes, the settings'
// file dialogs and the log's save dialog. The program runs them modally;
// the tests hand the window another ModalDialogs that answers at once.
#include "device/host.h"

class QFileDialog;
class QMessageBox;
class QString;

namespace zmt::ui {

class ModalDialogs {
public:
    virtual ~ModalDialogs() = default;
    // The box's answer (see msg_box.h).
    virtual Answer runMessageBox(QMessageBox& box);
    // The chosen file's full path, "" when cancelled.
    virtual QString runFileDialog(QFileDialog& dialog);
};

} // namespace zmt::ui
