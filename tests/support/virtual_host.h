#pragma once
// A Host on a virtual clock for tests: time moves only when the code under
// test waits, so time-outs and retries run instantly and exactly. It records
// everything the core shows, and answers message boxes from a queue.
#include "device/host.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zmt::test {

class VirtualHost : public Host {
public:
    uint32_t tickMs() override { return now; }
    // Advances the clock to the next timer due or by maxMs, whichever is
    // first, and runs every timer that is due. 0 runs the due timers only.
    void waitEvents(uint32_t maxMs) override;

    Answer messageBox(MessageStyle style, const std::string& text) override;
    void memoLine(const std::string& line) override { memo.push_back(line); }
    void memoClear() override { memo.clear(); }
    bool exchangeLogOn() override { return logOn; }
    void statusText(const std::string& text) override { status = text; }
    void notice(unsigned clearMs, unsigned blinkMs, const std::string& text) override {
        notices.push_back({clearMs, blinkMs, text});
    }

    // A periodic callback on the virtual clock (a window timer, the simulated
    // controller's own activity). Returns an id for stopTimer.
    int startTimer(uint32_t intervalMs, std::function<void()> onTick);
    void stopTimer(int id);
    // Moves time forward by ms, running timers on the way.
    void advance(uint32_t ms);

    struct Box { MessageStyle style; std::string text; };
    struct Notice { unsigned clearMs; unsigned blinkMs; std::string text; };

    uint32_t now = 1000;            // a non-zero start, as a real tick counter has
    bool logOn = false;
    std::vector<std::string> memo;
    std::string status;
    std::vector<Notice> notices;
    std::vector<Box> boxes;
    std::deque<Answer> answers;     // replies to boxes; Answer::Ok / Answer::No when empty
    int eventPasses = 0;            // how often the code under test let events run
    std::vector<Gauge> gaugeHistory;

protected:
    void gaugeChanged(const Gauge& g) override { gaugeHistory.push_back(g); }

private:
    struct Timer { int id; uint32_t interval; uint32_t due; std::function<void()> onTick; };
    void runDueTimers();
    std::vector<Timer> timers_;
    int nextTimerId_ = 1;
};

} // namespace zmt::test
