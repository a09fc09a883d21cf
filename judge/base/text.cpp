// Escaping and units, in one place for every report.

#include "judge/base/text.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace judge {

namespace {

const char hex[] = "0123456789abcdef";

void append_escaped(std::string& text, unsigned char byte)
{
    text += "\\x";
    text += hex[byte >> 4];
    text += hex[byte & 15];
}

}  // namespace

std::size_t utf8_length(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    std::size_t length;
    std::uint32_t least;
    if (first >= 0xc2 && first <= 0xdf) {
        length = 2;
        least = 0x80;
    } else if (first >= 0xe0 && first <= 0xef) {
        length = 3;
        least = 0x800;
    } else if (first >= 0xf0 && first <= 0xf4) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    std::uint32_t code = first & (0x7f >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3f);
    }
    if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

std::string terminal_text(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20 && byte < 0x7f) {
            shown += text[at++];
            continue;
        }
        const std::size_t length = byte >= 0x80 ? utf8_length(text, at) : 0;
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const bool c1 = length == 2 && byte == 0xc2 && static_cast<unsigned char>(text[at + 1]) < 0xa0;
        if (length > 0 && !c1) {
            shown.append(text.substr(at, length));
            at += length;
        } else {
            append_escaped(shown, byte);
            ++at;
        }
    }
    return shown;
}

std::string xml_text(std::string_view text)
{
    std::string xml;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const std::size_t length = utf8_length(text, at);
            xml += length > 0 ? std::string(text.substr(at, length)) : "\xef\xbf\xbd";
            at += length > 0 ? length : 1;
            continue;
        }
        switch (c) {
        case '&': xml += "&amp;"; break;
        case '<': xml += "&lt;"; break;
        case '>': xml += "&gt;"; break;
        case '"': xml += "&quot;"; break;
        case '\'': xml += "&apos;"; break;
        case '\n': xml += "&#10;"; break;
        case '\t': xml += "&#9;"; break;
        case '\r': xml += "&#13;"; break;
        default:
            if (byte < 0x20 || byte == 0x7f)
                append_escaped(xml, byte);
            else
                xml += c;
        }
        ++at;
    }
    return xml;
}

std::string shell_quote(const std::string& word)
{
    const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::string_view("/._-+=:,@%").find(c) != std::string_view::npos;
    });
    if (plain)
        return word;
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string shell_line(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty())
            line += ' ';
        line += shell_quote(word);
    }
    return line;
}

std::string lay_out(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right)
{
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& cells : rows)
        for (std::size_t i = 0; i < cells.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    std::string text;
    for (const auto& cells : rows) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string pad(widths[i] - cells[i].size(), ' ');
            line += (i > 0 ? "  " : "") + (right[i] ? pad + cells[i] : cells[i] + pad);
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line + "\n";
    }
    return text;
}

std::string wrapped(std::string_view text, std::size_t width)
{
    std::string result;
    std::size_t line = 0;  // the current line's length
    for (std::size_t at = 0; at < text.size();) {
        while (at < text.size() && text[at] == ' ')
            ++at;
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end == at)
            break;
        const std::size_t length = end - at;
        if (line > 0 && line + 1 + length > width) {
            result += '\n';
            line = 0;
        } else if (line > 0) {
            result += ' ';
            ++line;
        }
        result.append(text.substr(at, length));
        line += length;
        at = end;
    }
    return result;
}

std::string printf_format(const std::string& text)
{
    std::string format;
    for (const char c : text) {
        if (c == '\n')
            format += "\\n";
        else if (c == '\\')
            format += "\\\\";
        else if (c == '%')
            format += "%%";
        else
            format += c;
    }
    return format;
}

std::string last_line(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    const std::size_t newline = text.rfind('\n');
    return std::string(newline == std::string_view::npos ? text : text.substr(newline + 1));
}

std::string cut_to(std::string_view text, std::size_t most)
{
    return text.size() > most ? std::string(text.substr(0, most)) + "..." : std::string(text);
}

std::string signal_name(int signal)
{
    const char* abbreviation = ::sigabbrev_np(signal);
    if (abbreviation == nullptr)
        return "signal " + std::to_string(signal);
    return std::string("SIG") + abbreviation;
}

std::string seconds_text(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

std::string megabytes_text(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g MB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

std::string memory_text(std::uint64_t bytes)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

}  // namespace judge
