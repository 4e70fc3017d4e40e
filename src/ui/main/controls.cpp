#include "ui/main/controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zmt::ui {

QIcon pictureIcon(const char* resource) {
    QString path = QString::fromLatin1(resource);
    QIcon icon(path);
    icon.addFile(path.insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x")));
    return icon;
}

Panel::Panel(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    // Captions come from the program and the controller; never read them as markup.
    setTextFormat(Qt::PlainText);
}

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), buttons_(new QButtonGroup(this)) {
    new QVBoxLayout(this);
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) emit itemIndexChanged(itemIndex());
    });
}

void RadioGroup::setItems(const QStringList& items) {
    const int kept = itemIndex();
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        delete button;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_->addButton(button, i);
        layout()->addWidget(button);
    }
    setItemIndex(kept);
}

QStringList RadioGroup::items() const {
    QStringList texts;
    for (QAbstractButton* button : buttons_->buttons()) texts << button->text();
    return texts;
}

int RadioGroup::itemIndex() const { return buttons_->checkedId(); }

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last button; lift that for a moment.
    buttons_->setExclusive(false);
    for (QAbstractButton* b : buttons_->buttons()) b->setChecked(false);
    buttons_->setExclusive(true);
}

} // namespace zmt::ui
