// Text as the judge's reports show it: bytes made safe for a terminal or
// for XML, and the units of time and memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace judge {

// The text with every byte a terminal could act on written \xNN: control
// characters (line breaks too), DEL, the C1 controls and bytes that are not
// valid UTF-8. Everything else, UTF-8 letters included, stays.
std::string terminal_text(std::string_view text);

// Text for XML character data and attribute values: markup characters as
// references, control characters XML cannot hold as \xNN, invalid UTF-8 as
// U+FFFD.
std::string xml_text(std::string_view text);

// The length of the valid UTF-8 sequence at text[at], or 0.
std::size_t utf8_length(std::string_view text, std::size_t at);

// A word as the shell reads it back: in single quotes where it needs them.
std::string shell_quote(const std::string& word);

// The words as one shell command line, quoted where they need it.
std::string shell_line(const std::vector<std::string>& words);

// Rows of cells as lines, each column padded to its widest cell: to the
// right where right[column] is set (numbers), else to the left; no blanks
// at a line's end.
std::string lay_out(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right);

// The words of text in lines of at most width characters (a longer word
// alone on its line), joined by line breaks, none at the end.
std::string wrapped(std::string_view text, std::size_t width);

// Text as a printf format that prints it.
std::string printf_format(const std::string& text);

// The text's last line, without the line breaks that end it (the whole
// text when it has one line).
std::string last_line(std::string_view text);

// Text cut to at most `most` bytes, "..." added where it was cut.
std::string cut_to(std::string_view text, std::size_t most);

// "SIGSEGV", or "signal N" for a number without a name.
std::string signal_name(int signal);

// "1.5 s", "256 MB": how limits are written in details.
std::string seconds_text(double seconds);
std::string megabytes_text(std::uint64_t bytes);

// "17.3 MB": how measured memory is written in tables.
std::string memory_text(std::uint64_t bytes);

}  // namespace judge
