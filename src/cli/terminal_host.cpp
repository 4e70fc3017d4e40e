#include "cli/terminal_host.h"

#include "lang/lang.h"
#include "lang/number_text.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string_view>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <io.h>
#include <shellapi.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace zmt::cli {

std::atomic<bool> TerminalHost::interrupted{false};
int TerminalHost::outputError = 0;

namespace {
void onInterrupt(int) { TerminalHost::interrupted = true; }

constexpr int kBarWidth = 30;
} // namespace

void TerminalHost::installInterruptHandler() {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

void TerminalHost::ignoreBrokenPipe() {
#ifdef SIGPIPE
    // A reader that goes away (zmtctl monitor | head) must not kill the run
    // before the simulated controller's state is saved; the failed write is
    // noticed instead.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

std::string TerminalHost::shown(const std::string& text) {
    std::string lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines += escapeControls(std::string_view(text).substr(start, end - start)) + '\n';
    return lines + escapeControls(std::string_view(text).substr(start));
}

void TerminalHost::useUtf8Console() {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
}

std::vector<std::string> TerminalHost::utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i) {
            const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string text(bytes > 0 ? bytes - 1 : 0, '\0');
            if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), bytes, nullptr, nullptr);
            arguments.push_back(std::move(text));
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}

TerminalHost::TerminalHost(Answering answering, bool exchangeLog, std::FILE* out, std::FILE* err)
    : answering_(answering), exchangeLog_(exchangeLog), out_(out), err_(err),
      drawBar_(isatty(fileno(err)) != 0) {}

void TerminalHost::useOwnClock() {
    if (ownClock_) return;
    ownNow_ = tickMs();
    ownClock_ = true;
}

uint32_t TerminalHost::tickMs() {
    if (ownClock_) return ownNow_;
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TerminalHost::waitEvents(uint32_t maxMs) {
    if (ownClock_) {
        ownNow_ += maxMs;   // also when interrupted: a wait still ends
        return;
    }
    if (maxMs == 0 || interrupted) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
}

void TerminalHost::breakBar() {
    if (!barOpen_) return;
    std::fputc('\n', err_);
    barOpen_ = false;
}

void TerminalHost::memoLine(const std::string& line) {
    breakBar();
    if (std::fprintf(out_, "%s\n", shown(line).c_str()) < 0 || std::fflush(out_) != 0) {
        if (!outputClosed_ && out_ == stdout && outputError == 0) outputError = errno != 0 ? errno : EIO;
        outputClosed_ = true;
    }
    ++memoLines_;
}

void TerminalHost::exchangeLogLine(const std::string& line) {
    breakBar();
    std::fprintf(err_, "%s\n", shown(line).c_str());
}

void TerminalHost::notice(unsigned, unsigned, const std::string& text) {
    breakBar();
    std::fprintf(err_, "%s\n", shown(text).c_str());
}

Answer TerminalHost::messageBox(MessageStyle style, const std::string& message) {
    breakBar();
    const std::string text = shown(message);
    std::fflush(out_);
    // Questions and warnings both ask Yes or No, as the window shows them: the
    // reset to factory defaults and installing an older firmware are warnings.
    if (!asksYesNo(style.kind)) {
        std::fprintf(err_, "%s\n", text.c_str());
        return Answer::Ok;
    }
    if (answering_ == Answering::AlwaysYes) {
        std::fprintf(err_, "%s %s\n", text.c_str(), localized("-> yes"));
        return Answer::Yes;
    }
    if (isatty(fileno(stdin)) == 0) {
        // Nobody to ask: a script that wants Yes says so with --yes.
        std::fprintf(err_, "%s %s\n", text.c_str(), localized("-> no (use --yes)"));
        return Answer::No;
    }
    return askOnTerminal(style.defaultAnswer, text) ? Answer::Yes : Answer::No;
}

bool TerminalHost::askOnTerminal(DefaultAnswer defaultAnswer, const std::string& text) {
    const bool defaultNo = defaultAnswer == DefaultAnswer::No;
    std::fprintf(err_, "%s %s ", text.c_str(),
                 defaultNo ? localized("[y/N]") : localized("[Y/n]"));
    std::fflush(err_);
    char buffer[64];
    if (std::fgets(buffer, sizeof buffer, stdin) == nullptr) return false;
    std::string_view answer(buffer);
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' || answer.back() == ' '))
        answer.remove_suffix(1);
    if (answer.empty()) return !defaultNo;
    for (std::string_view yes : {"y", "Y", "yes", "Yes", "YES", "д", "Д", "да", "Да", "ДА"})
        if (answer == yes) return true;
    return false;
}

void TerminalHost::gaugeChanged(const Gauge& gauge) {
    if (!drawBar_) return;
    if (!gauge.visible) {
        breakBar();
        return;
    }
    const int maximum = gauge.maximum > 0 ? gauge.maximum : 1;
    const int percent = static_cast<int>(100LL * gauge.position / maximum);
    const int filled = static_cast<int>(static_cast<long long>(kBarWidth) * gauge.position / maximum);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::fprintf(err_, "\r%s [%s] %3d%%", gauge.savedCaption.c_str(), bar.c_str(), percent);
    std::fflush(err_);
    barOpen_ = true;
    if (gauge.position >= gauge.maximum) breakBar();
}

} // namespace zmt::cli
