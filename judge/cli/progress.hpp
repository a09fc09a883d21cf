// A progress line on standard error while a program works, shown only when
// standard error is a terminal: "PROGRAM: what is happening", rewritten in
// place and cleared at the end. Safe to call from several threads.
#pragma once

#include <mutex>
#include <string>

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

}  // namespace judge
