#pragma once
// The one seam between the core and whoever runs it. The core never touches a
// window, a terminal or the wall clock directly: the desktop program implements
// this with Qt, zmtctl with the terminal, and the tests with a virtual clock so
// that a 1000 ms time-out runs in microseconds and exactly.
#include <cstdint>
#include <string>

namespace zmt {

// What a message box is for; its caption, icon and buttons follow from it.
enum class MessageKind { Error, Question, Warning, Information };
// The answer a box that asks Yes or No gives to Enter. A box that only
// offers OK ignores it.
enum class DefaultAnswer { Yes, No };
// A box's kind and default answer. A kind alone asks with Yes as default,
// so callers write MessageKind::Error, or {MessageKind::Question,
// DefaultAnswer::No} where No is the safe answer.
struct MessageStyle {
    MessageStyle(MessageKind boxKind, DefaultAnswer answer = DefaultAnswer::Yes)
        : kind(boxKind), defaultAnswer(answer) {}
    bool operator==(const MessageStyle&) const = default;

    MessageKind kind;
    DefaultAnswer defaultAnswer;
};
// Questions and warnings ask Yes or No; errors and information offer OK only.
inline bool asksYesNo(MessageKind kind) { return kind == MessageKind::Question || kind == MessageKind::Warning; }
// What a message box is answered with.
enum class Answer { Ok, Yes, No };

class Host {
public:
    virtual ~Host() = default;

    // Millisecond tick counter; wraps like any 32-bit tick counter.
    virtual uint32_t tickMs() = 0;
    // Let pending timers, clicks and repaints run, waiting at most maxMs for
    // something to happen. 0 means one pass without sleeping. Waits are built on
    // this so that they sleep instead of spinning a core.
    virtual void waitEvents(uint32_t maxMs) = 0;
    void processEvents() { waitEvents(0); }

    // A modal box; the text is already in the current language. A box that
    // asks Yes or No answers Yes or No; any other answers Ok.
    virtual Answer messageBox(MessageStyle style, const std::string& text) = 0;

    // Monitoring log.
    virtual void memoLine(const std::string& line) = 0;
    virtual void memoClear() = 0;
    virtual bool exchangeLogOn() = 0;
    // One exchange-log line. The window puts it in the memo like any other
    // line; zmtctl keeps it apart from its output.
    virtual void exchangeLogLine(const std::string& line) { memoLine(line); }

    // The status bar's text and the blinking toolbar notice.
    virtual void statusText(const std::string& text) = 0;
    virtual void notice(unsigned clearMs, unsigned blinkMs, const std::string& text) = 0;

    // Transfer progress. The rules live here once; the shell only draws the
    // gauge when gaugeChanged() tells it to.
    struct Gauge {
        bool visible = false;       // hidden and full at start, so a stray
        int maximum = 100;          // step before any start changes nothing
        int position = 100;
        int accumulated = 0;        // sum of steps since the last start
        std::string savedCaption;   // restored when a later step re-shows it
        bool running = false;       // between progressStart and progressEnd
    };
    // Caption (already in the current language) into the status bar, gauge
    // shown at 0 of total, one pass of events.
    void progressStart(int total, const std::string& caption);
    // Adds count bytes. Ignored once the gauge is full or its transfer has
    // ended; a gauge hidden while its transfer runs comes back with its
    // saved caption. The gauge is drawn anew, and events get a pass, at
    // most every kProgressEventsMs and when it fills.
    void progressStep(int count);
    // The transfer the gauge was started for is over. Finished, its full
    // gauge stays until hidden; broken off, gauge and caption go at once.
    // Either way the short reads and writes after it no longer bring back
    // its caption (in the language of its day) and its stale figure.
    // ProgressScope calls it.
    void progressEnd();
    // Hides the gauge; the status text stays.
    void progressHide();
    const Gauge& gauge() const { return gauge_; }

protected:
    virtual void gaugeChanged(const Gauge& gauge) = 0;

private:
    Gauge gauge_;
    uint32_t lastStepEventsMs_ = 0;
};

// A frame and a half at 60 Hz: the gauge still moves smoothly and a click
// during a transfer is taken as soon, but a transfer of a millisecond per
// step no longer draws the gauge after every step (a full read drew it 17
// times in 45 ms, half a millisecond each).
inline constexpr uint32_t kProgressEventsMs = 25;

// The gauge of one transfer, from its start to the end of the scope.
class ProgressScope {
public:
    ProgressScope(Host& host, int total, const std::string& caption) : host_(host) {
        host_.progressStart(total, caption);
    }
    ~ProgressScope() { host_.progressEnd(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    Host& host_;
};

// Every blinking notice blinks at this period: the toolbar's flash timer
// starts with it, and each notice asks for it again.
inline constexpr unsigned kNoticeBlinkMs = 250;

// Clearing the toolbar notice through the host: an empty notice that neither blinks
// nor clears itself is no notice at all.
inline void clearNotice(Host& host) { host.notice(0, 0, std::string()); }

// Waits at least ms milliseconds while letting events run; returns the
// milliseconds that actually passed. 0 returns at once.
uint32_t delayMs(Host& host, uint32_t ms);

} // namespace zmt
