#pragma once
// A configuration file handed from a second zmtsetup to the one already
// running for the same controller: double-clicking a .ZMT file while the
// program is open opens it there, not in a second window that would fight
// the first over the controller.
//
// Only files are handed over: a zmtsetup started without one runs as
// before. The place a running zmtsetup listens at is named after the
// controller it serves (USB, or a simulated unit's state file), so that
// several programs for different controllers only need that name narrowed.
//
// Linux: a Unix socket of the user's own ($XDG_RUNTIME_DIR, else the
// temporary folder with the user id in the name); a connection from another
// user is refused, as is a socket someone else made. Windows (Qt is built
// there without its network module): a named mutex only tells that one is
// running; the second program then says so and ends.
//
//   FileHandover handover(handoverPlace(simulated, stateFile));
//   if (handover.handOver(file) != FileHandover::Outcome::NoneRunning) return;
//   ...
//   handover.serve();   // fileArrived from now on
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace zmt::ui {

// Where a program for this controller listens. A simulated unit without a
// state file lives in its program only, but a file opened with a second
// zmtsetup --simulator is still meant for the window already open: it goes
// to the program serving the built-in unit, as for a real controller.
std::string handoverPlace(bool simulated, const std::string& stateFile);

class FileHandover : public QObject {
    Q_OBJECT
public:
    // Milliseconds since some start; the tests give their own.
    using Clock = std::function<qint64()>;
    // Connections that never finish their line cost the program nothing
    // much: at most this many are kept (a new one pushes out the oldest),
    // none for longer than kConnectionTimeoutMs.
    static constexpr std::size_t kMaxConnections = 8;
    static constexpr qint64 kConnectionTimeoutMs = 5000;

    explicit FileHandover(std::string place, Clock clock = {});
    ~FileHandover() override;

    enum class Outcome {
        NoneRunning,      // nobody took it: open it here
        HandedOver,       // the running program opens it
        AlreadyRunning,   // one runs but could not take it (Windows)
    };
    // file: an absolute path.
    Outcome handOver(const std::string& file);
    // Listens for files handed over from now on, unless another program
    // already does; a place left behind by a program that died is taken over.
    void serve();
    bool serving() const;
    // Connections waiting for their line, and the drop of those past their
    // time (a timer calls it every second while serving).
    std::size_t openConnections() const;
    void dropIdleConnections();

signals:
    // An absolute path another zmtsetup was started with.
    void fileArrived(const QString& file);

private:
    class Listener;
    std::string place_;
    Clock clock_;
    std::unique_ptr<Listener> listener_;
};

} // namespace zmt::ui
