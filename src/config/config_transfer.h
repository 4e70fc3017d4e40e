#pragma once
// Moving the configuration between the program and the controller: the full
// read, the full write, reset to defaults, restart, the guarded single calls
// with their error box, and the automatic synchronisation that sends every
// run of bytes the user changed.
//
// The window owns one ConfigTransfer beside the device-state record, the
// link and the connection watch, and calls:
//   syncChanges()            on every tick of its 100 ms sync timer;
//   readDeviceCommand() ...  from the toolbar buttons, wrapped in its busy state;
//   readNewController()      from the connection watch (setReadConfiguration);
//   changesPending()         to show edits that have not reached the controller.
// zmtctl uses the same object without a watch.
#include "config/config_image.h"
#include "config/edit_history.h"
#include "config/snapshot_store.h"
#include "device/connection_watch.h"
#include "device/device_link.h"
#include "device/flags.h"
#include "lang/lang.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

namespace zmt {

inline constexpr int kFullReadTotal = static_cast<int>(kConfigImageSize + kTouchMemorySize);
inline constexpr unsigned kSyncNoticeMs = 1000;
// After a failed synchronisation, the next attempt waits this long, so the
// connection poll gets its turn and can notice a controller that went away.
inline constexpr uint32_t kSyncRetryDelayMs = 1000;

class ConfigTransfer {
public:
    // watch may be null (zmtctl has none); then nobody needs the serial forgotten.
    ConfigTransfer(DeviceLink& link, ConfigRecord& record, ProgramFlags& flags, ConnectionWatch* watch)
        : link_(link), host_(link.host()), record_(record), flags_(flags), watch_(watch) {}

    // The full refresh of the editors after the image was replaced.
    void setShowImage(std::function<void()> showImage) { showImage_ = std::move(showImage); }
    // The undo history of the record's image (may be null): every read of
    // a controller (keeping the edits or not) starts it anew, so undo never
    // reaches another controller's data.
    void setEditHistory(EditHistory* history) { history_ = history; }

    // Where the window's snapshots go: called with the controller's serial,
    // what it holds and why, before the configuration is changed as a whole
    // and after the first read of each controller in a session. It returns
    // the outcome of keeping it (on success with the snapshot's path).
    using SnapshotHook = std::function<FileResult(uint32_t serial, const ConfigImage& held, SnapshotCause cause)>;
    void setSnapshotHook(SnapshotHook hook) { snapshotHook_ = std::move(hook); }
    // Keeps what the controller holds as far as the program knows it
    // (deviceCopy; no read), when the program knows it at all. False when a
    // snapshot was due and could not be kept: the error box is shown, and
    // the change it was meant to precede must not go on.
    bool keepSnapshot(SnapshotCause cause);
    // After a firmware update the window cannot read at once (the new
    // application starts later): the controller is read again as new at the
    // next poll, and when it then holds another configuration than before
    // (what it held before the update), the host is asked whether to put
    // that back; Yes makes it one undoable edit that the synchronisation sends.
    void compareAfterUpdate(const ConfigImage& before);

    // Reads the image and the touch memory. Only a complete read replaces
    // them; a failed one leaves image and touchState as they were.
    ResultCode readConfiguration();
    // Reads what the controller holds into deviceCopy and touchState and
    // leaves the image alone, so the synchronisation then sends every byte
    // in which the image differs: edits not yet written go to this
    // controller instead of being replaced by its configuration. Only a
    // complete read changes anything.
    ResultCode readKeepingEdits();
    // Writes the whole image (no question), then restarts the controller.
    ResultCode writeConfiguration();
    // After a writeConfiguration cut part-way: what the controller now
    // holds and what to do, one line; empty when it took none of it.
    std::string partialWriteText() const;
    std::size_t writeAccepted() const { return writeAccepted_; }
    // The two questions on their own (true for Yes, warning and question
    // with No the default), and the reset to the factory configuration
    // without one.
    bool confirmWriteConfiguration();
    bool confirmResetToDefaults();
    ResultCode restoreDefaults();
    ResultCode restartDevice();

    // The error box of a failed write or read (a command of device/commands.h),
    // in the words every guarded exchange uses; gives the code back.
    ResultCode reportWriteFailure(ResultCode code);
    ResultCode reportReadFailure(ResultCode code);

    // Writes image bytes offset..offset+length-1 with reportWriteFailure and,
    // only when the controller accepted them, takes them into deviceCopy;
    // otherwise they stay pending for syncChanges (the end of button
    // learning sends the button part this way). A range outside the image
    // gives ResultCode::BadParameters and sends nothing.
    ResultCode sendImageBytes(std::size_t offset, std::size_t length);
    // Said when the learned buttons did not all arrive (they are sent again).
    static constexpr const char* kButtonsNotSentText = N_("The buttons have not reached the device, writing will be retried");
    // The part a button learning run fills in (the image's head and its key
    // table), each with sendImageBytes; once both have arrived the image
    // counts as the controller's configuration. Ok, or the first failure.
    ResultCode sendLearnedButtons();

    // A file's image taking the place of the one in memory (the window's
    // open file), from the first look at the file to the image in place:
    // nothing is sent meanwhile, and unless done() is reached the image is
    // fit to send exactly when it was before.
    class ImageReplacement {
    public:
        explicit ImageReplacement(ConfigTransfer& transfer);
        ~ImageReplacement();
        ImageReplacement(const ImageReplacement&) = delete;
        ImageReplacement& operator=(const ImageReplacement&) = delete;
        // keepSnapshot of what the controller held before the file, due
        // when the program knew that then.
        bool keepSnapshot(SnapshotCause cause);
        // The new image is in place: the synchronisation sends what differs.
        void done();

    private:
        void restore();   // fit to send exactly when it was before

        ConfigTransfer& transfer_;
        const bool wasValid_;
        bool done_ = false;
    };

    // The toolbar commands: the operation plus its question and error box.
    // The window adds its busy state around them.
    ResultCode readDeviceCommand();
    ResultCode readKeepingEditsCommand();   // same error box as readDeviceCommand
    // The read a controller with another serial number starts (the watch's
    // read callback). Nothing goes to it until it is read: deviceCopy is the
    // last controller's, so the image is not fit to send meanwhile. When the
    // image holds edits that never reached a controller, keepEdits (asked
    // only then) chooses: true sends them to this controller instead of
    // replacing them with its configuration.
    ResultCode readNewController(const std::function<bool()>& keepEdits = {});
    ResultCode writeDeviceCommand();   // asks first (No the default)
    // Asks first (No the default); No changes nothing, not even the undo
    // history (the controller is re-read only after a reset).
    ResultCode toDefaultCommand();
    ResultCode resetCommand();

    // One tick of the automatic synchronisation. Each run of changed bytes
    // goes out as one block write, in ascending order; a run reaches
    // deviceCopy only when the controller accepted it. With the controller
    // away, changes stay pending. A failed run stops the tick and is tried
    // again kSyncRetryDelayMs later; its error box is shown once, not on
    // every retry.
    void syncChanges();
    // The sending part of a tick on its own: every run of changed bytes now,
    // in ascending order, each taken into deviceCopy once accepted, up to
    // the first failure (no box). zmtctl sends its edits this way; sent
    // counts the bytes that arrived.
    ResultCode sendChanges(std::size_t* sent = nullptr);
    // True while the image holds bytes the controller has not accepted (as
    // far as we know), whether or not they can go out right now.
    bool changesPending() const;

private:
    // The configuration and touch memories, both complete, or an error.
    ResultCode readController(ConfigImage& config, uint8_t (&touch)[sizeof(ConfigRecord::touchState)]);
    void forgetSerial();
    ResultCode reportIfFailed(ResultCode code, const char* format);
    // This object alone declares the image fit to send (imageValid): when it
    // becomes the controller's configuration, and when it stops being it.
    void configurationKnown() { flags_.setImageValid(true, {}); }
    void configurationForgotten() { flags_.setImageValid(false, {}); }

    DeviceLink& link_;
    Host& host_;
    ConfigRecord& record_;
    ProgramFlags& flags_;
    ConnectionWatch* watch_;
    std::function<void()> showImage_;
    EditHistory* history_ = nullptr;
    SnapshotHook snapshotHook_;
    std::set<uint32_t> readThisSession_;   // serials whose first read was kept
    std::string lastSnapshotPath_;           // where the last snapshot went
    std::optional<ConfigImage> beforeUpdate_;
    bool transferRunning_ = false;    // a full transfer owns the image
    std::size_t writeAccepted_ = 0;   // bytes of the last writeConfiguration the controller confirmed
    bool syncRunning_ = false;
    bool syncFailureShown_ = false;
    bool syncRetryWaiting_ = false;
    uint32_t syncRetryAt_ = 0;
};

} // namespace zmt
