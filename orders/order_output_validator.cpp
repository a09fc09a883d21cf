// The output validator of the 3-15 problem package: the team's output must
// equal the judge's answer byte for byte but for its last line, a clock
// reading, where any integer (an optional minus sign and 1 to 20 digits)
// stands, ended as the answer's last line is.
//
//   compare INPUT ANSWER FEEDBACK_DIR < team_output
//
// Exit status 42 accepts, 43 rejects (with one line in
// FEEDBACK_DIR/judgemessage.txt saying why); anything else is a fault of
// the validator itself. One file and the standard library alone, so that
// a contest system builds it with plain g++.

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

constexpr int accept_status = 42;
constexpr int reject_status = 43;
constexpr int fault_status = 1;

// The longest clock reading: a sign and 20 digits.
constexpr std::size_t clock_digits = 20;

std::string feedback_folder;

[[noreturn]] void reject(const std::string& why)
{
    std::ofstream(feedback_folder + "judgemessage.txt") << why << '\n';
    std::exit(reject_status);
}

// The text without its last line (which starts after the last line break
// before the end, and keeps its own line break if it has one).
std::size_t last_line_start(const std::string& text)
{
    const std::size_t end = !text.empty() && text.back() == '\n' ? text.size() - 1 : text.size();
    const std::size_t newline = text.rfind('\n', end == 0 ? 0 : end - 1);
    return newline == std::string::npos || end == 0 ? 0 : newline + 1;
}

bool clock_reading(const std::string& line)
{
    const std::size_t digits_from = !line.empty() && line[0] == '-' ? 1 : 0;
    const std::size_t digits = line.size() - digits_from;
    if (digits == 0 || digits > clock_digits)
        return false;
    for (std::size_t i = digits_from; i < line.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(line[i])))
            return false;
    return true;
}

// A short excerpt of a line, for the judge's message.
std::string excerpt(const std::string& text)
{
    std::string shown = text.substr(0, 40);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    return "\"" + shown + (text.size() > 40 ? "...\"" : "\"");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fputs("usage: compare INPUT ANSWER FEEDBACK_DIR < team_output\n", stderr);
        return fault_status;
    }
    feedback_folder = argv[3];
    if (!feedback_folder.empty() && feedback_folder.back() != '/')
        feedback_folder += '/';
    std::ifstream answer_file(argv[2], std::ios::binary);
    if (!answer_file) {
        std::fprintf(stderr, "compare: cannot read the answer %s\n", argv[2]);
        return fault_status;
    }
    const std::string answer(std::istreambuf_iterator<char>(answer_file), {});
    std::ostringstream team_text;
    team_text << std::cin.rdbuf();
    const std::string team = team_text.str();

    const std::size_t answer_last = last_line_start(answer);
    const std::size_t team_last = last_line_start(team);
    const std::string answer_head = answer.substr(0, answer_last);
    const std::string team_head = team.substr(0, team_last);
    if (team_head != answer_head) {
        std::size_t at = 0;
        while (at < team_head.size() && at < answer_head.size() && team_head[at] == answer_head[at])
            ++at;
        const std::size_t line_start = answer_head.rfind('\n', at == 0 ? 0 : at - 1);
        const std::size_t from = line_start == std::string::npos || at == 0 ? 0 : line_start + 1;
        reject("wrong answer at byte " + std::to_string(at + 1) + ": expected " +
               excerpt(answer_head.substr(from, answer_head.find('\n', from) - from)) + ", found " +
               excerpt(team_head.substr(from, team_head.find('\n', from) - from)));
    }
    std::string answer_tail = answer.substr(answer_last);
    std::string team_tail = team.substr(team_last);
    const bool answer_ended = !answer_tail.empty() && answer_tail.back() == '\n';
    const bool team_ended = !team_tail.empty() && team_tail.back() == '\n';
    if (team_ended)
        team_tail.pop_back();
    if (!clock_reading(team_tail))
        reject("the last line must be a clock reading (an integer), found " + excerpt(team_tail));
    if (team_ended != answer_ended)
        reject(answer_ended ? "the clock reading is not ended by a line break" : "a line break after the clock reading");
    return accept_status;
}
