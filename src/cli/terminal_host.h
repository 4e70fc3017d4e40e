#pragma once
// The Host of zmtctl: the memo is standard output, boxes and the exchange log
// go to standard error, the progress bar is drawn on standard error only when
// that is a terminal, and waits sleep on the real clock.
#include "device/host.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace zmt::cli {

// How questions are answered when nobody can be asked.
enum class Answering {
    Ask,          // ask on the terminal when stdin is one, otherwise No
    AlwaysYes,    // --yes
};

class TerminalHost : public Host {
public:
    TerminalHost(Answering answering, bool exchangeLog, std::FILE* out = stdout, std::FILE* err = stderr);

    uint32_t tickMs() override;
    // Nothing runs in the background of a command, so waiting is sleeping.
    void waitEvents(uint32_t maxMs) override;
    Answer messageBox(MessageStyle style, const std::string& text) override;
    void memoLine(const std::string& line) override;
    void memoClear() override {}
    bool exchangeLogOn() override { return exchangeLog_; }
    void exchangeLogLine(const std::string& line) override;
    // The status bar has no counterpart: every command reports its own end.
    void statusText(const std::string&) override {}
    void notice(unsigned clearMs, unsigned blinkMs, const std::string& text) override;

    // From now on time passes only while the program waits, and waiting
    // costs nothing: for a simulated controller that plays scripted presses,
    // which count readings, not seconds, so nobody sits through them.
    void useOwnClock();
    // From now on every question is answered Yes (a batch's one question
    // covered them).
    void answerEveryQuestion() { answering_ = Answering::AlwaysYes; }
    // Lines written to the memo so far (a command counts what it printed).
    std::size_t memoLines() const { return memoLines_; }
    // True once a memo line could not be written (the reader went away).
    bool outputClosed() const { return outputClosed_; }
    // The first error (errno) writing a memo line to standard output, 0
    // while there is none; the run's end reports it.
    static int outputError;

    // Set from the SIGINT handler; commands that run until stopped check it.
    static std::atomic<bool> interrupted;
    static void installInterruptHandler();
    static void ignoreBrokenPipe();
    // Lines shown on the terminal: control characters (from a file, a
    // controller or a name) escaped, so none can drive the terminal.
    static std::string shown(const std::string& text);
    // Our texts are UTF-8; a Windows console shows them right only when told.
    static void useUtf8Console();
    // The program's arguments as UTF-8, as everything inside takes them. On
    // Windows the narrow argv is in the ANSI code page, where most Cyrillic
    // file names turn into question marks, so the wide command line is used.
    static std::vector<std::string> utf8Arguments(int argc, char** argv);

protected:
    void gaugeChanged(const Gauge& gauge) override;

private:
    // Ends a half-drawn progress bar line before any other output.
    void breakBar();
    bool askOnTerminal(DefaultAnswer defaultAnswer, const std::string& text);

    Answering answering_;
    bool exchangeLog_;
    std::FILE* out_;
    std::FILE* err_;
    bool drawBar_;
    bool barOpen_ = false;
    std::size_t memoLines_ = 0;
    bool outputClosed_ = false;
    bool ownClock_ = false;
    uint32_t ownNow_ = 0;
};

} // namespace zmt::cli
