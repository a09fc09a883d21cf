// The progress line.

#include "judge/cli/progress.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "common/fail.hpp"
#include "judge/base/text.hpp"

namespace judge {

ProgressLine::ProgressLine() : shown_(::isatty(2) == 1) {}

void ProgressLine::show(const std::string& text)
{
    if (!shown_)
        return;
    const std::lock_guard lock(mutex_);
    std::fprintf(stderr, "\r%s: %s\033[K", common::program_name, terminal_text(text).c_str());
    written_ = true;
}

void ProgressLine::clear()
{
    const std::lock_guard lock(mutex_);
    if (shown_ && written_)
        std::fputs("\r\033[K", stderr);
    written_ = false;
}

JudgingProgress::JudgingProgress(std::size_t runs) : total_(runs)
{
    if (line_.shown())
        ticker_ = std::thread([this] { tick(); });
}

JudgingProgress::~JudgingProgress()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (ticker_.joinable())
        ticker_.join();
    line_.clear();
}

Progress JudgingProgress::progress()
{
    if (!line_.shown())
        return {};
    Progress progress;
    progress.compiled = [this](std::size_t done, std::size_t total, const Solution& solution) {
        line_.show("compiling " + std::to_string(done) + " of " + std::to_string(total) + " (" + solution.name + ")");
    };
    progress.started = [this](const CaseSource& source, const Solution& solution) { started(source, solution); };
    progress.finished = [this](const CaseResult& latest, const Solution& solution) { finished(latest, solution); };
    return progress;
}

void JudgingProgress::started(const CaseSource& source, const Solution& solution)
{
    const std::lock_guard lock(mutex_);
    running_[{source.name, solution.name}] = Clock::now();
    show();
}

void JudgingProgress::finished(const CaseResult& latest, const Solution& solution)
{
    const std::lock_guard lock(mutex_);
    running_.erase({latest.name, solution.name});
    ++done_;
    failed_ += passed(latest.verdict) ? 0 : 1;
    latest_ = "case " + latest.name + " of " + solution.name + ": " + verdict_code(latest.verdict);
    show();
}

void JudgingProgress::show()
{
    std::string text = std::to_string(done_) + " of " + std::to_string(total_) + " runs judged, " +
                       std::to_string(failed_) + " failed";
    if (!latest_.empty())
        text += "; " + latest_;
    // The run going longest, from the first second on.
    const auto oldest = std::min_element(running_.begin(), running_.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (oldest != running_.end()) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - oldest->second).count();
        if (seconds >= 1)
            text += "; running case " + oldest->first.first + " of " + oldest->first.second + " for " +
                    std::to_string(seconds) + " s";
    }
    line_.show(text);
}

void JudgingProgress::tick()
{
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_; }))
        if (!running_.empty())
            show();
}

}  // namespace judge
