#include "ui/shell/file_handover.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <cstdint>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace zmt::ui {

namespace {

// FNV-1a: the place in a name short enough for a socket path.
std::string placeHash(const std::string& place) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : place) hash = (hash ^ c) * 1099511628211ULL;
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (int shift = 60; shift >= 0; shift -= 4) text += digits[(hash >> shift) & 0xF];
    return text;
}

} // namespace

std::string handoverPlace(bool simulated, const std::string& stateFile) {
    if (!simulated) return "usb";
    if (stateFile.empty()) return "simulator";
    // One unit, however its file was named on the command line.
    const QFileInfo file(QString::fromStdString(stateFile));
    const QString canonical = file.canonicalFilePath();
    return "simulator:" + (canonical.isEmpty() ? QDir::cleanPath(file.absoluteFilePath()) : canonical).toStdString();
}

#ifdef _WIN32

class FileHandover::Listener {
public:
    HANDLE mutex = nullptr;
    ~Listener() {
        if (mutex != nullptr) CloseHandle(mutex);
    }
};

namespace {
std::wstring mutexName(const std::string& place) {
    const std::string name = "Local\\zmtsetup-" + placeHash(place);
    return std::wstring(name.begin(), name.end());
}
} // namespace

FileHandover::FileHandover(std::string place, Clock clock) : place_(std::move(place)), clock_(std::move(clock)) {}
FileHandover::~FileHandover() = default;
std::size_t FileHandover::openConnections() const { return 0; }
void FileHandover::dropIdleConnections() {}

FileHandover::Outcome FileHandover::handOver(const std::string&) {
    if (place_.empty()) return Outcome::NoneRunning;
    HANDLE running = OpenMutexW(SYNCHRONIZE, FALSE, mutexName(place_).c_str());
    if (running == nullptr) return Outcome::NoneRunning;
    CloseHandle(running);
    return Outcome::AlreadyRunning;
}

void FileHandover::serve() {
    if (place_.empty() || listener_) return;
    auto listener = std::make_unique<Listener>();
    listener->mutex = CreateMutexW(nullptr, FALSE, mutexName(place_).c_str());
    if (listener->mutex != nullptr) listener_ = std::move(listener);
}

bool FileHandover::serving() const { return listener_ != nullptr; }

#else

namespace {

// A handed-over line is a path; anything longer is not ours.
constexpr std::size_t kMaxLine = 4096;
constexpr int kAnswerWaitMs = 3000;

std::string socketPath(const std::string& place) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string name = "zmtsetup-" + std::to_string(getuid()) + "-" + placeHash(place) + ".sock";
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/" + name;
    return QDir::tempPath().toStdString() + "/" + name;
}

bool fillAddress(sockaddr_un& address, const std::string& path) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    path.copy(address.sun_path, path.size());
    return true;
}

// A socket of this user's, or none at all.
bool ownSocket(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) && status.st_uid == getuid();
}

bool peerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
}

// A connected socket to whoever listens at path, or -1.
int connectTo(const std::string& path) {
    sockaddr_un address;
    if (!ownSocket(path) || !fillAddress(address, path)) return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || !peerIsThisUser(fd)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

// The listening socket, and the connections that have not finished their line.
class FileHandover::Listener {
public:
    Listener(FileHandover& owner, int fd, std::string path) : owner_(owner), fd_(fd), path_(std::move(path)) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, &owner_, [this] { accept(); });
        sweep_.setInterval(1000);
        QObject::connect(&sweep_, &QTimer::timeout, &owner_, [this] { dropIdle(); });
        sweep_.start();
    }
    std::size_t count() const { return connections_.size(); }

    // Connections past their time go; a listening socket that could not
    // accept (no descriptor left) is listened to again.
    void dropIdle() {
        const qint64 now = owner_.clock_();
        std::vector<Connection*> stale;
        for (const auto& connection : connections_)
            if (now - connection->since >= kConnectionTimeoutMs) stale.push_back(connection.get());
        for (Connection* connection : stale) drop(connection);
        notifier_->setEnabled(true);
    }
    ~Listener() {
        connections_.clear();
        notifier_.reset();
        close(fd_);
        // Only the socket we made: another program may have taken the name since.
        struct stat status {};
        if (stat(path_.c_str(), &status) == 0 && status.st_ino == inode) unlink(path_.c_str());
    }
    ino_t inode = 0;

private:
    struct Connection {
        int fd;
        qint64 since = 0;
        std::string line;
        std::unique_ptr<QSocketNotifier> notifier;
        ~Connection() {
            notifier.reset();
            close(fd);
        }
    };

    void accept() {
        const int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            // Out of descriptors (or memory), the connection stays queued and
            // the socket keeps saying so: listening on would spin a core and
            // starve the controller's polling. The sweep listens again.
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
                notifier_->setEnabled(false);
            return;
        }
        if (!peerIsThisUser(fd)) {
            close(fd);
            return;
        }
        // Full: the oldest goes, so that a real hand-over always gets in.
        if (connections_.size() >= kMaxConnections) drop(connections_.front().get());
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->since = owner_.clock_();
        connection->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        Connection* raw = connection.get();
        QObject::connect(connection->notifier.get(), &QSocketNotifier::activated, &owner_, [this, raw] { read(raw); });
        connections_.push_back(std::move(connection));
    }

    void read(Connection* connection) {
        char buffer[512];
        const ssize_t count = recv(connection->fd, buffer, sizeof buffer, 0);
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (count > 0) connection->line.append(buffer, static_cast<std::size_t>(count));
        const std::size_t end = connection->line.find('\n');
        if (end == std::string::npos && count > 0 && connection->line.size() <= kMaxLine) return;
        // A whole line, or the sender has gone or sent too much.
        QString file;
        if (end != std::string::npos && end <= kMaxLine) {
            file = QString::fromStdString(connection->line.substr(0, end));
            if (QDir::isAbsolutePath(file)) writeAll(connection->fd, "ok\n");
            else file.clear();
        }
        drop(connection);
        if (!file.isEmpty()) emit owner_.fileArrived(file);
    }

    void drop(Connection* connection) {
        for (auto it = connections_.begin(); it != connections_.end(); ++it) {
            if (it->get() != connection) continue;
            // Not deleted while its own notifier is still signalling.
            std::unique_ptr<Connection> gone = std::move(*it);
            connections_.erase(it);
            gone->notifier->setEnabled(false);
            Connection* later = gone.release();
            QMetaObject::invokeMethod(&owner_, [later] { delete later; }, Qt::QueuedConnection);
            return;
        }
    }

    FileHandover& owner_;
    int fd_;
    std::string path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer sweep_;
    std::vector<std::unique_ptr<Connection>> connections_;
};

namespace {
qint64 steadyMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}
} // namespace

FileHandover::FileHandover(std::string place, Clock clock)
    : place_(std::move(place)), clock_(clock ? std::move(clock) : Clock(steadyMs)) {}
FileHandover::~FileHandover() = default;

std::size_t FileHandover::openConnections() const { return listener_ ? listener_->count() : 0; }

void FileHandover::dropIdleConnections() {
    if (listener_) listener_->dropIdle();
}

FileHandover::Outcome FileHandover::handOver(const std::string& file) {
    if (place_.empty()) return Outcome::NoneRunning;
    const int fd = connectTo(socketPath(place_));
    if (fd < 0) return Outcome::NoneRunning;
    // The running program answers from its event loop, which runs even
    // while it shows a box; one that does not answer is stuck, and a
    // second window would not help.
    Outcome outcome = Outcome::AlreadyRunning;
    if (writeAll(fd, file + "\n")) {
        pollfd wait{fd, POLLIN, 0};
        char answer[3] = {};
        if (poll(&wait, 1, kAnswerWaitMs) == 1 && recv(fd, answer, sizeof answer, MSG_WAITALL) == 3 &&
            std::string_view(answer, 3) == "ok\n")
            outcome = Outcome::HandedOver;
    }
    close(fd);
    return outcome;
}

void FileHandover::serve() {
    if (place_.empty() || listener_) return;
    const std::string path = socketPath(place_);
    sockaddr_un address;
    if (!fillAddress(address, path)) return;
    // Someone listens already (a zmtsetup started without a file next to
    // this one): it keeps the place.
    if (const int running = connectTo(path); running >= 0) {
        close(running);
        return;
    }
    // What is left is a socket of a program that died, or something not ours.
    if (ownSocket(path)) unlink(path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    const mode_t mask = umask(0077);
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    umask(mask);
    struct stat status {};
    if (!bound || listen(fd, 4) != 0 || stat(path.c_str(), &status) != 0) {
        close(fd);
        return;
    }
    listener_ = std::make_unique<Listener>(*this, fd, path);
    listener_->inode = status.st_ino;
}

bool FileHandover::serving() const { return listener_ != nullptr; }

#endif

} // namespace zmt::ui
