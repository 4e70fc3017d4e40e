#pragma once
// What the controller sees while the buttons are learned: the level of each
// of the four channels as a bar, with the channel's idle maximum and press
// threshold marked on it and the button recognised on it named beneath. It
// is fed by the learning procedure's own readings; it reads nothing itself.
#include "ui/procedures/button_learning.h"

#include <QWidget>

#include <array>

namespace zmt::ui {

class LevelBars : public QWidget {
    Q_OBJECT
public:
    explicit LevelBars(QWidget* parent = nullptr);

    // levels: the procedure's last reading; names: the text of the button
    // recognised on each channel ("" for none).
    void showLevels(const LearningLevels& levels, const std::array<QString, kChannels>& names);
    void retranslate();

    const LearningLevels& levels() const { return levels_; }
    const std::array<QString, kChannels>& names() const { return names_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LearningLevels levels_;
    std::array<QString, kChannels> names_;
};

} // namespace zmt::ui
