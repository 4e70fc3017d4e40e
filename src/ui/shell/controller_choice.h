#pragma once
// The toolbar's choice of controller when several are plugged in. It stays
// out of sight while one controller (or none) is there, so the window looks
// as it always did. With several, it lists them by serial and application
// version (one another program holds is shown busy) and the user picks one;
// the choice is remembered by serial in the settings and taken again at the
// next start when that controller is among several present. The connection
// watch keeps to the chosen controller and never switches by itself;
// choosing another one is like plugging in another controller (the edits
// not yet sent are asked about).
//
// The bus is looked at every kLookEveryPolls polls from the platform's list
// alone; identities are read only when that list changed or the choice is
// opened, so one controller costs nothing beyond today's poll.
#include "device/hid_transport.h"

#include <QObject>

#include <cstdint>
#include <string>
#include <vector>

namespace zmt {
class ConnectionWatch;
struct ProgramFlags;
}

namespace zmt::ui {

class ChoiceBox;
class MainWindow;
class SettingsStore;

class ControllerChoice : public QObject {
    Q_OBJECT
public:
    static constexpr int kLookEveryPolls = 10;   // 2 s at the usual poll

    ControllerChoice(MainWindow& window, ConnectionWatch& watch, SettingsStore& settings);

    // After every poll of the watch.
    void onPollTick();
    // Reads who is there now and shows the choice (or hides it).
    void refresh();
    // The user picked the entry of that serial.
    void choose(uint32_t serial);

    // What is offered, for tests: the entries' serials and texts.
    const std::vector<PresentController>& present() const { return present_; }
    QWidget& box();

private:
    bool mayAsk() const;
    void fill();
    void retranslate();
    QString entryText(const PresentController& unit) const;

    MainWindow& window_;
    ConnectionWatch& watch_;
    SettingsStore& settings_;
    ChoiceBox* box_ = nullptr;
    std::vector<std::string> lastPaths_;
    std::vector<PresentController> present_;
    int pollsToLook_ = 0;
    bool filling_ = false;
    bool editorLocked_ = false;   // our lock on the editor while no controller is chosen
};

} // namespace zmt::ui
