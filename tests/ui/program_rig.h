#pragma once
// zmtsetup --simulator as main() builds it: the same Program, on a virtual
// clock where every HID transfer costs one millisecond, with its settings
// file in a folder of its own. Boxes are recorded and answered from a queue
// (the rig's default answer when it is empty), after answerDelayMs of virtual
// time in which the program's timers run as they do while a user reads the
// box; file dialogs answer nextFile (empty: cancelled). Each window test derives its fixture from this and adds
// only the state and helpers of its own.
#include "config/config_file.h"
#include "device/firmware_file.h"
#include "sim/simulator.h"
#include "ui/editor/event_editor.h"
#include "ui/editor/keys_grid_view.h"
#include "ui/editor/parameters_panel.h"
#include "ui/shell/config_commands.h"
#include "ui/shell/controller_session.h"
#include "ui/widgets/controls.h"
#include "ui/log/log_view.h"
#include "ui/picker/reaction_picker.h"
#include "ui/procedures/guided_procedures.h"
#include "ui/shell/program.h"
#include "ui/shell/settings_store.h"
#include "window_test_support.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace zmt::ui::test {

struct RigOptions {
    // The simulated controller is plugged in (it connects at the first poll).
    bool plugged = true;
    // Restores the settings and shows the image, as main() does before the
    // window opens.
    bool startUp = true;
    // What a box answers when the queue is empty.
    Answer answer = Answer::Ok;
    // The simulated controller's state file (empty: none) and the settings
    // file (empty: zmtsetup.ini in the rig's own folder).
    std::string stateFile = {};
    std::string settingsPath = {};
    // Simulated controllers on the bus (serials 1001, 1002...).
    std::size_t units = 1;
    // The quick set-up's offer to a controller with nothing set up (the
    // simulated one is such a controller): off, so that the tests of other
    // windows meet only the boxes they are about.
    bool offerQuickSetup = false;
};

struct ProgramRig {
    QTemporaryDir dir;
    RigOptions options;
    // Puts the program on the virtual clock.
    struct ClockMaker : HostMaker {
        VirtualClockHost* made = nullptr;
        std::unique_ptr<QtHost> makeHost(MainWindow& form) override {
            auto host = std::make_unique<VirtualClockHost>(form);
            made = host.get();
            return host;
        }
    } clockMaker;
    ScriptedDialogs dialogs;   // answered from answers and nextFile
    Program program;
    VirtualClockHost& clock = *clockMaker.made;
    MainWindow& window = program.window();
    ControllerSession& session = program.controller();
    ConfigRecord& record = session.record();
    SettingsStore& settings = program.settings();
    ConfigCommands& commands = program.commands();
    ParametersPanel& panel = program.parameters();
    KeysGridView& keysGrid = program.keysGrid();
    EventEditor& editor = program.events();
    GuidedProcedures& procedures = program.procedures();

    std::deque<Answer> answers;
    // How long a box stays open before it is answered, on the virtual clock.
    uint32_t answerDelayMs = 0;
    QStringList boxes;
    QList<QMessageBox::Icon> boxIcons;
    QString nextFile;
    // Called after every HID transfer, with the request just answered.
    std::function<void(const std::array<uint8_t, kReportSize>&)> afterRequest;

    explicit ProgramRig(RigOptions chosen = {})
        : options(std::move(chosen)),
          program({.simulated = true,
                   .simulatorStateFile = options.stateFile,
                   .moreSimulatedUnits = std::vector<std::string>(options.units - 1),
                   .settingsPath = options.settingsPath.empty() ? dir.filePath("zmtsetup.ini").toStdString()
                                                                : options.settingsPath,
                   .snapshotFolder = dir.filePath("snapshots").toStdString(),
                   .offerQuickSetup = options.offerQuickSetup,
                   .hostMaker = &clockMaker}) {
        std::size_t seen = 0;
        session.simulator()->backend().setTransferCost(1, [this, seen](uint32_t ms) mutable {
            clock.now += ms;
            if (!afterRequest || controller().requestsHandled() == seen) return;
            seen = controller().requestsHandled();
            afterRequest(controller().lastRequest());
        });
        if (!options.plugged) session.simulator()->backend().unplug(session.simulator()->port());
        window.setDialogs(dialogs);
        dialogs.messageBox = [this](QMessageBox& box) {
            boxes << box.text();
            boxIcons << box.icon();
            passTime(answerDelayMs);
            if (answers.empty()) return options.answer;
            const Answer answer = answers.front();
            answers.pop_front();
            return answer;
        };
        dialogs.fileDialog = [this](QFileDialog&) { return nextFile; };
        if (options.startUp) program.startUp();
    }
    ~ProgramRig() {
        if (ReactionPicker* built = window.builtPicker()) built->hide();
        setLanguage("ru");
    }

    std::map<QTimer*, uint32_t> timerWaits_;   // since each running timer last fired

    // Built when first used, as in the program (an open does it too).
    ReactionPicker& picker() { return program.picker(); }

    sim::SimulatedController& controller() { return session.simulator()->controller(); }
    // One real poll: ticks that only count the skip after frames do not poll.
    void poll() {
        while (session.link().pollSkip() != 0) window.onPollTick();
        window.onPollTick();
    }
    void tick() { window.onSyncTick(); }
    // The first poll finds the simulated controller and reads it.
    void connect() {
        poll();
        QVERIFY(window.flags().deviceConnected());
        QVERIFY(window.flags().imageValid());
    }
    // The cable out (and the poll that notices), and back in.
    void unplug() {
        session.simulator()->backend().unplug(session.simulator()->port());
        poll();
    }
    void plug() { session.simulator()->backend().plug(session.simulator()->port()); }
    uint8_t deviceByte(std::size_t offset) { return controller().state.config[offset]; }
    // Lets ms of virtual time pass as it passes for a user: every 10 ms of
    // it, each of the program's running timers whose interval has gone by
    // fires, as Qt fires it (also from inside a box, as Qt's modal loop does).
    void passTime(uint32_t ms) {
        constexpr uint32_t kStepMs = 10;
        for (uint32_t passed = 0; passed < ms; passed += kStepMs) {
            clock.now += kStepMs;
            QCoreApplication::processEvents();
            QList<QTimer*> timers = window.findChildren<QTimer*>();
            timers += procedures.findChildren<QTimer*>();
            for (QTimer* timer : timers) {
                if (!timer->isActive()) {
                    timerWaits_.erase(timer);
                    continue;
                }
                uint32_t& waited = timerWaits_[timer];
                waited += kStepMs;
                if (waited < static_cast<uint32_t>(std::max(timer->interval(), 1))) continue;
                waited = 0;
                if (timer->isSingleShot()) timer->stop();
                QMetaObject::invokeMethod(timer, "timeout");
            }
        }
    }
    // Clicks a procedure's button (learning, calibration), then lets time
    // pass until the run ends, for at most limitMs (a run the window stopped
    // following would otherwise never end).
    void runProcedure(const char* button, uint32_t limitMs = 180000) {
        child<QToolButton>(window, button)->click();
        for (uint32_t passed = 0;
             passed < limitMs && (procedures.learning().active() || procedures.calibration().active());
             passed += kLearningTurnMs)
            passTime(kLearningTurnMs);
    }
    void learnButtons() { runProcedure("SpeedButtonKeysSetup"); }
    // A steering-wheel button held half a second, as a thumb does, then let
    // go: every channel back at its idle level.
    void holdButton(int channel, uint8_t level, uint8_t idle) {
        controller().state.keyLevels[static_cast<std::size_t>(channel)] = level;
        passTime(500);
        controller().state.keyLevels = {idle, idle, idle, idle};
        passTime(300);
    }
    // A firmware file of version 1.18 for the simulated controller, with a
    // payload of 2000 bytes, in the rig's folder; the update asks for it.
    // startsFromFactory: the new application starts from the factory
    // configuration (the simulator's flag in the reserved word).
    std::string useFirmwareFile(bool startsFromFactory = false) {
        std::vector<uint8_t> payload(2000, 0x5A);
        const uint8_t reserved = startsFromFactory ? 1 : 0;
        const uint8_t description[8] = {reserved, 0, 0, 0, 118, 0, 1, 1};
        std::copy(description, description + 8, payload.begin());
        std::vector<uint8_t> file;
        if (!buildFirmwareFile({reserved, 118, 1, 1}, payload, file)) qFatal("no firmware file");
        const std::string path = dir.filePath("NEW.LDR").toStdString();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        nextFile = QString::fromStdString(path);
        return path;
    }
    QString notice() { return child<Panel>(window, "PanelMenu")->text(); }
    // The Monitoring page's log as shown.
    QString memo() { return child<LogView>(window, "Memo")->toPlainText(); }
    // A configuration file (name in the rig's folder, or a full path) holding the controller's
    // configuration with the head unit type changed to headType; damaged
    // gives one event a value that is not hexadecimal (the open asks first).
    QString writeConfigFile(const QString& name, uint8_t headType, bool damaged = false) {
        ConfigImage image;
        std::memcpy(image.bytes(), controller().state.config.data(), kConfigImageSize);
        image.headType = headType;
        const QString path = QDir(dir.path()).filePath(name);
        if (!saveConfigFile(image, path.toStdString()).ok()) qFatal("cannot write %s", qPrintable(path));
        if (damaged) {
            std::ifstream in(path.toStdString(), std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            const std::size_t at = text.find("EVKEY05=");
            text.replace(at + 8, 4, "zz00");
            std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << text;
        }
        return path;
    }
};

} // namespace zmt::ui::test
