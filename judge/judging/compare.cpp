// Output comparison in large blocks: outputs of hundreds of megabytes are
// compared with memcmp, and lines are counted only up to the difference.

#include "judge/judging/compare.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace judge {

namespace {

// How many bytes each file is read in at a time.
constexpr std::size_t block_bytes = std::size_t{1} << 20;

// How much of the line an excerpt shows before and after the difference.
constexpr std::uint64_t context_before = 24;
constexpr std::uint64_t context_after = 40;

// The longest clock reading: a sign and 20 digits.
constexpr std::size_t clock_digits = 20;

// An open file, read from a given offset.
class File {
public:
    explicit File(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        struct stat info {};
        if (fd_ >= 0 && ::fstat(fd_, &info) == 0)
            size_ = static_cast<std::uint64_t>(info.st_size);
    }
    ~File()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    std::uint64_t size() const { return size_; }

    // Up to count bytes from offset; fewer at the end of the file.
    std::size_t read(std::uint64_t offset, char* into, std::size_t count) const
    {
        std::size_t done = 0;
        while (fd_ >= 0 && done < count) {
            const ssize_t got = ::pread(fd_, into + done, count - done, static_cast<off_t>(offset + done));
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    std::string read(std::uint64_t offset, std::size_t count) const
    {
        std::string text(count, '\0');
        text.resize(read(offset, text.data(), count));
        return text;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};

// Where the first difference of two files lies within their first `limit`
// bytes, with the number of newlines before it and the offset where its
// line starts; offset == limit when they agree that far.
struct Position {
    std::uint64_t offset = 0;
    std::uint64_t newlines = 0;
    std::uint64_t line_start = 0;
};

Position first_difference(const File& a, const File& b, std::uint64_t limit)
{
    Position at;
    const std::unique_ptr<char[]> left(new char[block_bytes]);
    const std::unique_ptr<char[]> right(new char[block_bytes]);
    while (at.offset < limit) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(block_bytes, limit - at.offset));
        const std::size_t got_a = a.read(at.offset, left.get(), want);
        const std::size_t got_b = b.read(at.offset, right.get(), want);
        const std::size_t common = std::min(got_a, got_b);
        const std::size_t equal =
            static_cast<std::size_t>(std::mismatch(left.get(), left.get() + common, right.get()).first - left.get());
        at.newlines += static_cast<std::uint64_t>(std::count(left.get(), left.get() + equal, '\n'));
        if (const void* last = ::memrchr(left.get(), '\n', equal))
            at.line_start = at.offset + static_cast<std::uint64_t>(static_cast<const char*>(last) - left.get()) + 1;
        at.offset += equal;
        if (equal < want)
            break;
    }
    return at;
}

// The text of a file's line around offset: from a little before it to a
// little after, up to and including the line's newline.
std::string excerpt(const File& file, std::uint64_t line_start, std::uint64_t offset)
{
    const std::uint64_t from = std::max(line_start, offset >= context_before ? offset - context_before : 0);
    std::string text = file.read(from, static_cast<std::size_t>(offset - from + context_after));
    bool cut_after = text.size() == offset - from + context_after;
    const std::size_t newline = text.find('\n', static_cast<std::size_t>(offset - from));
    if (newline != std::string::npos) {
        text.resize(newline + 1);
        cut_after = false;
    }
    return (from > line_start ? "..." : "") + escape(text) + (cut_after ? "..." : "");
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The offset where a file's last line starts: after the newline before its
// last byte. Only the file's tail is read; -1 when the file is empty or its
// last line is longer than a clock reading can be.
std::int64_t last_line_start(const File& file)
{
    const std::uint64_t size = file.size();
    const std::uint64_t tail = std::min<std::uint64_t>(size, clock_digits + 3);
    const std::string text = file.read(size - tail, static_cast<std::size_t>(tail));
    if (text.size() != tail || text.empty())
        return -1;
    const std::size_t newline = text.size() >= 2 ? text.rfind('\n', text.size() - 2) : std::string::npos;
    if (newline != std::string::npos)
        return static_cast<std::int64_t>(size - tail + newline + 1);
    return tail == size ? 0 : -1;
}

// The length of the clock reading at the start of text: a minus sign and
// digits, at least one; 0 when there is none.
std::size_t clock_length(std::string_view text)
{
    std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t digits_start = at;
    while (at < text.size() && is_digit(text[at]) && at - digits_start < clock_digits)
        ++at;
    return at > digits_start ? at : 0;
}

}  // namespace

std::string escape(std::string_view bytes)
{
    static const char hex[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\n': text += "\\n"; break;
        case '\t': text += "\\t"; break;
        case '\r': text += "\\r"; break;
        case '\\': text += "\\\\"; break;
        case '"': text += "\\\""; break;
        default:
            if (byte >= 0x20 && byte < 0x7f) {
                text += c;
            } else {
                text += "\\x";
                text += hex[byte >> 4];
                text += hex[byte & 15];
            }
        }
    }
    return text;
}

Difference compare_outputs(const std::string& expected_path, const std::string& found_path, bool clock_line)
{
    const File expected(expected_path);
    const File found(found_path);
    Difference difference;

    // With a clock line, the exact part ends where the expected last line
    // starts, if that line is a clock reading at all.
    std::uint64_t exact_end = std::max(expected.size(), found.size());
    std::string clock_line_text;
    if (clock_line) {
        const std::int64_t start = last_line_start(expected);
        if (start >= 0) {
            const std::string line = expected.read(static_cast<std::uint64_t>(start), clock_digits + 2);
            const std::size_t length = clock_length(line);
            if (length > 0 && (length == line.size() || (line[length] == '\n' && length + 1 == line.size()))) {
                exact_end = static_cast<std::uint64_t>(start);
                clock_line_text = line;
            }
        }
    }

    Position at = first_difference(expected, found, exact_end);
    if (at.offset == exact_end && !clock_line_text.empty()) {
        // The found output from here on: a reading, ended as the expected one.
        const std::string rest = found.read(exact_end, clock_digits + 3);
        const std::size_t length = clock_length(rest);
        const bool ends_with_newline = clock_line_text.back() == '\n';
        const std::size_t whole = length + (ends_with_newline ? 1 : 0);
        if (length > 0 && found.size() == exact_end + whole && (!ends_with_newline || rest[length] == '\n'))
            return difference;
        difference.same = false;
        difference.clock = true;
        difference.line = at.newlines + 1;
        difference.column = exact_end - at.line_start + 1;
        difference.found = excerpt(found, at.line_start, exact_end);
        difference.found_ends = found.size() <= exact_end;
        return difference;
    }
    if (at.offset == exact_end)
        return difference;
    difference.same = false;
    difference.line = at.newlines + 1;
    difference.column = at.offset - at.line_start + 1;
    difference.expected = excerpt(expected, at.line_start, at.offset);
    difference.found = excerpt(found, at.line_start, at.offset);
    difference.expected_ends = expected.size() <= at.offset;
    difference.found_ends = found.size() <= at.offset;
    return difference;
}

std::string describe(const Difference& difference)
{
    std::string text = "line " + std::to_string(difference.line) + ", column " + std::to_string(difference.column) + ": ";
    if (difference.clock)
        text += "expected a clock reading (an integer)";
    else
        text += "expected \"" + difference.expected + "\"" + (difference.expected_ends ? " (the end of the output)" : "");
    text += ", found \"" + difference.found + "\"" + (difference.found_ends ? " (the end of the output)" : "");
    return text;
}

}  // namespace judge
