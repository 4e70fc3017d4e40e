#include "ui/main/procedures_wiring.h"

#include "config/edit_history.h"
#include "config/settings.h"
#include "lang/lang.h"
#include "config/editor_rules.h"
#include "ui/editor/event_editor.h"
#include "ui/editor/keys_grid_view.h"
#include "ui/main/controller_wiring.h"
#include "ui/main/controls.h"
#include "ui/main/level_bars.h"
#include "ui/main/main_form.h"
#include "ui/main/settings_store.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QIcon>
#include <QToolButton>

namespace zmt::ui {

namespace {
constexpr const char* kUpdateButton = "SpeedButtonUpdateDevice";
constexpr const char* kKeysButton = "SpeedButtonKeysSetup";
constexpr const char* kTouchButton = "SpeedButtonTouchSetup";
} // namespace

ProceduresWiring::ProceduresWiring(MainForm& window, ControllerWiring& controller, _zelmorvatouch& record,
                                   ConfigTransfer& transfer)
    : window_(window), record_(record), firmware_(controller.link(), controller.watch(), window.flags()),
      learning_(controller.link(), transfer, record, window.flags(), *this),
      calibration_(controller.link(), transfer, record, window.flags(),
                   [this](bool busy) { busyExcept(busy, kTouchButton); }),
      levelBars_(new LevelBars(&window)) {
    // Until the settings' dialog (which remembers the folder) is plugged in.
    askFirmwareFile = [this] {
        return QFileDialog::getOpenFileName(&window_, QString::fromUtf8(LangText(kFirmwareDialog.title)), QString(),
                                            QString::fromLatin1(kFirmwareDialog.filter))
            .toStdString();
    };
    firmware_.setBeforeTransfer([this] { window_.SetDeviceButtons(true); });
    if (auto* update = window.findChild<QAbstractButton*>(QString::fromLatin1(kUpdateButton)))
        connect(update, &QAbstractButton::clicked, this, [this] { SpeedButtonUpdateDeviceClick(); });
    buildButtons();
}

ProceduresWiring::~ProceduresWiring() = default;

void ProceduresWiring::useSettings(SettingsStore& settings) {
    askFirmwareFile = [&settings] {
        const std::string path = settings.askFirmwareFile();
        settings.rememberFirmwareFile(path);   // a cancelled dialog ("") changes nothing
        return path;
    };
}

void ProceduresWiring::useEditor(KeysGridView& keysGrid, EventEditor& events) {
    setEditorEnabled = [&events](bool enabled) { events.setEditorLock(enabled); };
    // A cell keeps its mark when its text changes: learning sets the marks
    // itself and then asks for the column to be drawn again.
    grid.setCellText = [this, &keysGrid](int channel, int row, const QString& text) {
        keysGrid.setKeyCell(channel, row, text, record_.keyCellMark[channel][row] != 0);
    };
    grid.cellText = [&keysGrid](int channel, int row) { return keysGrid.keyCellText(channel, row); };
    grid.repaintColumn = [&keysGrid](int) { keysGrid.repaintGrid(); };
    grid.clearSelection = [&keysGrid] { keysGrid.clearGridSelection(); };
}

void ProceduresWiring::buildButtons() {
    // The parameters panel leaves room for these two in its group boxes.
    // Picture buttons like the toolbar's; their hints come with the window's
    // translation, so they follow the language without a caption of their own.
    auto place = [this](const char* groupName, const char* name, const QRect& where, const char* icon) {
        auto* group = window_.findChild<QGroupBox*>(QString::fromLatin1(groupName));
        if (group == nullptr) return;
        auto* button = new QToolButton(group);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(where);
        button->setIcon(pictureIcon(icon));
        button->setIconSize(QSize(28, 28));
        button->setEnabled(window_.flags().DeviceConnected);
        button->show();
    };
    // Inside the boxes' frames, which start about 20 px below their top edge.
    place("GroupBoxKeySetup", kKeysButton, {138, 20, 44, 37}, ":/icons/learn_buttons.png");
    place("GroupBoxTouch", kTouchButton, {198, 21, 44, 36}, ":/icons/calibrate_touch.png");
    if (auto* keys = window_.findChild<QAbstractButton*>(QString::fromLatin1(kKeysButton)))
        connect(keys, &QAbstractButton::clicked, this, [this] { SpeedButtonKeysSetupClick(); });
    if (auto* touch = window_.findChild<QAbstractButton*>(QString::fromLatin1(kTouchButton)))
        connect(touch, &QAbstractButton::clicked, this, [this] { SpeedButtonTouchSetupClick(); });
}

void ProceduresWiring::busyExcept(bool busy, const char* keptEnabled) {
    window_.SetDeviceButtons(busy);
    // The procedure's own button stays usable: a second click stops it.
    if (busy)
        if (auto* button = window_.findChild<QWidget*>(QString::fromLatin1(keptEnabled))) button->setEnabled(true);
}

void ProceduresWiring::SpeedButtonUpdateDeviceClick() {
    if (firmware_.running()) return;
    window_.SetDeviceButtons(true);
    if (setEditorEnabled) setEditorEnabled(false);
    firmware_.updateFirmware(askFirmwareFile);
    if (setEditorEnabled) setEditorEnabled(true);
    window_.SetDeviceButtons(false);
}

void ProceduresWiring::SpeedButtonKeysSetupClick() {
    // All the buttons learnt in one run are one step; the click that ends
    // the run comes in the middle of it and joins the same step.
    const EditStep step(window_.editHistory(), record_.image, editLabel("обучение кнопок\0learn buttons"));
    learning_.SpeedButtonKeysSetupClick();
}

void ProceduresWiring::SpeedButtonTouchSetupClick() {
    auto* offset = window_.findChild<QCheckBox*>(QStringLiteral("CheckBoxTouchDXY"));
    calibration_.SpeedButtonTouchSetupClick(offset != nullptr && offset->isChecked());
}

void ProceduresWiring::setLearningBusy(bool busy) {
    busyExcept(busy, kKeysButton);
    if (!busy) levelBars_->hide();
}

void ProceduresWiring::learningStarted() {
    // Only now: before the question is answered there is nothing to show,
    // and a "No" must not leave a window flashing up and away.
    levelBars_->retranslate();
    levelBars_->showLevels(LearningLevels{}, {});
    levelBars_->move(window_.frameGeometry().topRight() + QPoint(8, 0));
    levelBars_->show();
}

void ProceduresWiring::setKeyCellText(int channel, int row, const std::string& text) {
    if (grid.setCellText) grid.setCellText(channel, row, QString::fromStdString(text));
}

void ProceduresWiring::keyMarksChanged(int channel) {
    if (grid.repaintColumn) grid.repaintColumn(channel);
}

void ProceduresWiring::clearGridSelection() {
    if (grid.clearSelection) grid.clearSelection();
}

QString ProceduresWiring::recognisedName(int channel, int row) const {
    if (row == 0) return {};
    // What the user sees in the grid (a name being typed included).
    const std::string shown = grid.cellText ? grid.cellText(channel, row).toStdString() : std::string();
    return QString::fromStdString(editor::heldButtonName(record_.image, channel, row, shown));
}

void ProceduresWiring::showLevels(const LearningLevels& levels) {
    std::array<QString, kChannels> names;
    for (int c = 0; c < kChannels; ++c) names[c] = recognisedName(c, levels.recognisedRow[c]);
    levelBars_->showLevels(levels, names);
}

} // namespace zmt::ui
