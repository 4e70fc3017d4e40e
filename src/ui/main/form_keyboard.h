#pragma once
// The keyboard usage picker window: a non-modal, fixed-size tool window that
// stays beside the main window. It starts as an empty frame that the picker's
// own keys and groups are built into.
#include <QDialog>

namespace zmt::ui {

class FormKeyBoard : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 750;
    static constexpr int kClientHeight = 348;

    explicit FormKeyBoard(QWidget* parent = nullptr);

    // The bilingual title the picker shows for what it is picking; the
    // language switch re-applies it. nullptr: no title of its own.
    void setTitleLiteral(const char* literal);
    const char* titleLiteral() const { return titleLiteral_; }
    void retranslateTitle();

private:
    const char* titleLiteral_ = nullptr;
};

} // namespace zmt::ui
