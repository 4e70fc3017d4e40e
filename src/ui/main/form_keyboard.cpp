#include "ui/main/form_keyboard.h"

#include "lang/lang.h"

namespace zmt::ui {

FormKeyBoard::FormKeyBoard(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormKeyBoard"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
}

void FormKeyBoard::setTitleLiteral(const char* literal) {
    titleLiteral_ = literal;
    retranslateTitle();
}

void FormKeyBoard::retranslateTitle() {
    if (titleLiteral_ != nullptr) setWindowTitle(QString::fromUtf8(LangText(titleLiteral_)));
}

} // namespace zmt::ui
