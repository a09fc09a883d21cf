// The progress line.

#include "judge/cli/progress.hpp"

#include <unistd.h>

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

}  // namespace judge
