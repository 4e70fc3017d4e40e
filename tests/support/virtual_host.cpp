#include "virtual_host.h"

#include <algorithm>

namespace zmt::test {

void VirtualHost::waitEvents(uint32_t maxMs) {
    ++eventPasses;
    uint32_t target = now + maxMs;
    for (const Timer& t : timers_) {
        if (static_cast<int32_t>(t.due - target) < 0) target = t.due;
    }
    if (static_cast<int32_t>(target - now) > 0) now = target;
    runDueTimers();
}

void VirtualHost::advance(uint32_t ms) {
    const uint32_t end = now + ms;
    while (static_cast<int32_t>(end - now) > 0) waitEvents(end - now);
}

Answer VirtualHost::messageBox(MessageStyle style, const std::string& text) {
    boxes.push_back({style, text});
    if (answers.empty()) return asksYesNo(style.kind) ? Answer::No : Answer::Ok;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

int VirtualHost::startTimer(uint32_t intervalMs, std::function<void()> onTick) {
    const int id = nextTimerId_++;
    timers_.push_back({id, intervalMs, now + intervalMs, std::move(onTick)});
    return id;
}

void VirtualHost::stopTimer(int id) {
    std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

void VirtualHost::runDueTimers() {
    // A tick may start or stop timers, so look each one up again by id.
    std::vector<int> due;
    for (const Timer& t : timers_)
        if (static_cast<int32_t>(now - t.due) >= 0) due.push_back(t.id);
    for (int id : due) {
        auto it = std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
        if (it == timers_.end()) continue;
        it->due = now + std::max<uint32_t>(it->interval, 1);
        auto onTick = it->onTick; // the callback may stop its own timer
        onTick();
    }
}

} // namespace zmt::test
