// A progress line on standard error while a program works, shown only when
// standard error is a terminal: "PROGRAM: what is happening", rewritten in
// place and cleared at the end. Safe to call from several threads.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "judge/judging/judging.hpp"

namespace judge {

class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool shown() const { return shown_; }

    // Replaces the line with text (made safe for the terminal).
    void show(const std::string& text);

    // Removes the line.
    void clear();

private:
    std::mutex mutex_;
    bool shown_;
    bool written_ = false;
};

// The progress of a judging on the progress line: the compilations
// ("compiling 5 of 12"), then the runs judged and failed, with the run
// that has been going longest and for how long, refreshed at least once a
// second while runs go.
class JudgingProgress {
public:
    explicit JudgingProgress(std::size_t runs);
    ~JudgingProgress();
    JudgingProgress(const JudgingProgress&) = delete;
    JudgingProgress& operator=(const JudgingProgress&) = delete;

    // The judging's callbacks, told to this line; empty off a terminal.
    Progress progress();

private:
    using Clock = std::chrono::steady_clock;

    void started(const CaseSource& source, const Solution& solution);
    void finished(const CaseResult& latest, const Solution& solution);
    void show();  // with mutex_ held
    void tick();

    ProgressLine line_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::size_t total_;
    std::size_t done_ = 0;
    std::size_t failed_ = 0;
    std::string latest_;
    std::map<std::pair<std::string, std::string>, Clock::time_point> running_;  // (case, solution): since
    std::thread ticker_;
};

}  // namespace judge
