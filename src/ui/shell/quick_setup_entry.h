#pragma once
// The ways into the quick set-up: "Quick set-up…" and "Test buttons…" in
// the toolbar's menu, and the offer made once to each controller that is
// read with nothing set up on it (no learned buttons, no events). The offer
// is a question the user may decline; either answer is remembered in the
// settings by the controller's serial, so it is never asked twice. The
// window itself (ui/procedures/quick_setup_window.h) is built when first
// opened and stands where it stood last time.
#include "config/config_image.h"
#include "ui/picker/reaction_picker.h"
#include "ui/widgets/reaction_chooser.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;

namespace zmt::ui {

class ControllerSession;
class MainWindow;
class ProcedurePage;
class QuickSetupWindow;
class SettingsStore;

// Nothing set up on it yet: no button has a level and no event does anything.
bool nothingSetUp(const ConfigImage& image);

// It also keeps the picker for the window's "another key…": one of its
// own, over the window, since the main window's picker waits with the
// editors while a run holds the controller.
class QuickSetupEntry : public QObject, private ReactionChooser, private ReactionOwner {
public:
    // offer: make the offer at all (not while pictures are taken unattended).
    QuickSetupEntry(MainWindow& window, ControllerSession& session, SettingsStore& settings, ProcedurePage& page,
                    bool offer);
    ~QuickSetupEntry() override;

    void openQuickSetup();
    void openButtonTest();
    // A controller's configuration has just been read: the offer, when it
    // is due, follows as soon as the poll that read it is over.
    void controllerRead();
    // No offer in this run: the program was started with a configuration
    // file, which is what the user wants the controller to hold.
    void withholdOffer() { offer_ = false; }

    QAction* quickSetupAction() const { return quickSetupAction_; }
    QAction* buttonTestAction() const { return buttonTestAction_; }
    // Built on first use; null before.
    QuickSetupWindow* builtWindow() const { return window_.get(); }
    QuickSetupWindow& setupWindow();

    // Built on first "another key…"; null before.
    ReactionPicker* builtPicker() const { return picker_; }

private:
    // ReactionChooser
    void chooseReaction(QWidget& over, const Reaction& start, std::function<void(const Reaction&)> chosen) override;
    void stopChoosingReaction() override;
    // ReactionOwner
    void reactionShown() override;

    void offerNow(uint32_t serial);
    bool controllerReady(bool say);
    void retranslate();
    void updateActions();
    // The window where it last stood, else over the main window's centre.
    void place();

    MainWindow& main_;
    ControllerSession& session_;
    SettingsStore& settings_;
    ProcedurePage& page_;
    bool offer_;
    QAction* quickSetupAction_ = nullptr;
    QAction* buttonTestAction_ = nullptr;
    // The picker edits picking_ in place; chosen_ hears each change.
    // Declared before the window so that they outlive it: the window's end
    // closes the picker.
    QPointer<ReactionPicker> picker_;
    Reaction picking_{};
    std::function<void(const Reaction&)> chosen_;
    std::unique_ptr<QuickSetupWindow> window_;
    bool placed_ = false;
};

} // namespace zmt::ui
