// The LaTeX-to-HTML converter of problem statements: one pass over the
// source by recursive descent, a paragraph collector per block (the body,
// a list item) and per inline run (a heading, a table cell), TeX's rules for
// white space, comments and control words.

#include "package/latex_html.hpp"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

namespace package {

namespace {

// Commands of text mode that stand for fixed text (already HTML).
struct Symbol {
    std::string_view command;
    std::string_view html;
};
constexpr Symbol text_symbols[] = {
    {"ldots", "\u2026"},       {"dots", "\u2026"},        {"textbackslash", "\\"}, {"textasciitilde", "~"},
    {"textasciicircum", "^"},  {"textbar", "|"},          {"textless", "&lt;"},    {"textgreater", "&gt;"},
    {"%", "%"},                {"&", "&amp;"},            {"#", "#"},              {"_", "_"},
    {"{", "{"},                {"}", "}"},                {"$", "$"},              {" ", " "},
    {",", "\u202f"},           {"-", ""},                 {"/", ""},
};

// Commands that only space paragraphs, which the page's style does.
constexpr std::string_view spacing_commands[] = {"noindent", "smallskip", "medskip", "bigskip"};

// Commands that set their argument in a style.
struct Style {
    std::string_view command;
    std::string_view element;
    bool typewriter;  // no ligatures inside: `` '' -- stay as typed
};
constexpr Style styles[] = {
    {"emph", "em", false},
    {"textit", "em", false},
    {"textbf", "strong", false},
    {"texttt", "code", true},
};

struct Heading {
    std::string_view command;
    std::string_view element;
};
constexpr Heading headings[] = {{"section", "h2"}, {"subsection", "h3"}, {"subsubsection", "h4"}};

// TeX's classes of math atoms, for the spacing around operators.
enum class Atom { none, ord, bin, rel, open, close, punct };

struct MathSymbol {
    std::string_view command;
    std::string_view html;
    Atom atom;
};
constexpr MathSymbol math_symbols[] = {
    {"le", "\u2264", Atom::rel},      {"leq", "\u2264", Atom::rel},    {"ge", "\u2265", Atom::rel},
    {"geq", "\u2265", Atom::rel},     {"ne", "\u2260", Atom::rel},     {"neq", "\u2260", Atom::rel},
    {"to", "\u2192", Atom::rel},      {"rightarrow", "\u2192", Atom::rel}, {"leftarrow", "\u2190", Atom::rel},
    {"approx", "\u2248", Atom::rel},  {"equiv", "\u2261", Atom::rel},  {"in", "\u2208", Atom::rel},
    {"cdot", "\u00b7", Atom::bin},    {"times", "\u00d7", Atom::bin},  {"pm", "\u00b1", Atom::bin},
    {"bmod", "mod", Atom::bin},       {"ldots", "\u2026", Atom::ord},  {"dots", "\u2026", Atom::ord},
    {"cdots", "\u22ef", Atom::ord},   {"infty", "\u221e", Atom::ord},  {"lfloor", "\u230a", Atom::open},
    {"rfloor", "\u230b", Atom::close}, {"lceil", "\u2308", Atom::open}, {"rceil", "\u2309", Atom::close},
    {"{", "{", Atom::open},           {"}", "}", Atom::close},         {"%", "%", Atom::ord},
    {"#", "#", Atom::ord},            {"&", "&amp;", Atom::ord},       {"_", "_", Atom::ord},
};

// Spacing commands of math mode.
constexpr Symbol math_spaces[] = {
    {",", "\u202f"}, {":", "\u2005"}, {";", "\u2005"}, {"!", ""}, {" ", " "}, {"quad", "\u2003"}, {"qquad", "\u2003\u2003"},
};

// Math characters that are not letters or digits, by their class.
struct MathChar {
    char c;
    std::string_view html;
    Atom atom;
};
constexpr MathChar math_chars[] = {
    {'+', "+", Atom::bin},      {'-', "\u2212", Atom::bin}, {'*', "\u2217", Atom::bin}, {'=', "=", Atom::rel},
    {'<', "&lt;", Atom::rel},   {'>', "&gt;", Atom::rel},   {':', ":", Atom::rel},      {',', ",", Atom::punct},
    {';', ";", Atom::punct},    {'(', "(", Atom::open},     {'[', "[", Atom::open},     {')', ")", Atom::close},
    {']', "]", Atom::close},    {'|', "|", Atom::ord},      {'/', "/", Atom::ord},      {'!', "!", Atom::ord},
    {'\'', "\u2032", Atom::ord}, {'.', ".", Atom::ord},     {'~', "\u00a0", Atom::none},
};

template <class Entry>
const Entry* find_entry(const Entry* begin, const Entry* end, std::string_view command)
{
    const Entry* found = std::find_if(begin, end, [&](const Entry& entry) { return entry.command == command; });
    return found == end ? nullptr : found;
}

template <class Entry, std::size_t N>
const Entry* find_entry(const Entry (&table)[N], std::string_view command)
{
    return find_entry(table, table + N, command);
}

bool is_letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Collects the output of one block container (paragraphs and blocks) or of
// one inline run.
class Sink {
public:
    explicit Sink(bool blocks) : blocks_(blocks) {}

    void text(std::string_view html) { paragraph_ += html; }

    // One space, as TeX makes of a run of white space: none at the start
    // of a paragraph or after another.
    void space()
    {
        if (!paragraph_.empty() && paragraph_.back() != ' ')
            paragraph_ += ' ';
    }

    void end_paragraph()
    {
        while (!paragraph_.empty() && paragraph_.back() == ' ')
            paragraph_.pop_back();
        if (!paragraph_.empty()) {
            html_ += "<p>" + paragraph_ + "</p>\n";
            ++paragraphs_;
        }
        paragraph_.clear();
    }

    void block(const std::string& html)
    {
        end_paragraph();
        html_ += html;
        blocked_ = true;
    }

    // The whole; a block that is one paragraph alone comes without its
    // <p> when bare (a list item's text).
    std::string finish(bool bare)
    {
        if (!blocks_) {
            while (!paragraph_.empty() && paragraph_.back() == ' ')
                paragraph_.pop_back();
            return paragraph_;
        }
        end_paragraph();
        if (bare && paragraphs_ == 1 && !blocked_)
            return html_.substr(3, html_.size() - 3 - 5);  // without <p> and </p>\n
        return html_;
    }

private:
    bool blocks_;
    std::string html_;
    std::string paragraph_;
    int paragraphs_ = 0;
    bool blocked_ = false;
};

// Where a run of content may stand, and so what may end it.
enum class Context {
    document,  // the body: ends at the end of the input
    item,      // a list item: ends at the next \item or at \end
    argument,  // {...}: ends at its }
    cell,      // a table cell: ends at &, \\ or \end
};

// Where paragraphs, lists, tables and headings may stand.
bool takes_blocks(Context context)
{
    return context == Context::document || context == Context::item;
}

enum class StopKind { end_of_input, close_brace, item, end_environment, next_cell, row_end };

struct Stop {
    StopKind kind;
    std::string environment;  // of end_environment
};

class Converter {
public:
    explicit Converter(std::string_view tex) : src_(tex) {}

    HtmlStatement run()
    {
        Sink body(true);
        content(Context::document, body, false);
        HtmlStatement statement;
        statement.title = title_;
        statement.body = body.finish(false);
        bool in_tag = false;
        for (const char c : title_) {
            if (c == '<' || c == '>')
                in_tag = c == '<';
            else if (!in_tag)
                statement.title_text += c;
        }
        return statement;
    }

private:
    // ---- reading ----

    bool at_end() const { return pos_ >= src_.size(); }
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0'; }

    char take()
    {
        const char c = src_[pos_++];
        if (c == '\n')
            ++line_;
        return c;
    }

    [[noreturn]] void fail(const std::string& what) const { throw LatexError("line " + std::to_string(line_) + ": " + what); }

    bool looking_at(std::string_view text) const { return src_.substr(pos_, text.size()) == text; }

    // At the control word \word (not a longer word beginning so).
    bool looking_at_word(std::string_view word) const
    {
        return peek() == '\\' && src_.substr(pos_ + 1, word.size()) == word && !is_letter(peek(word.size() + 1));
    }

    // The command after a backslash: a word of letters, with the white
    // space after it skipped as TeX skips it (blanks, and one line end,
    // after which a new line begins), or one other character.
    std::string command()
    {
        if (at_end())
            fail("a backslash ends the input");
        if (!is_letter(peek()))
            return std::string(1, take());
        std::string name;
        while (is_letter(peek()))
            name += take();
        skip_blanks();
        if (peek() == '\n') {
            take();
            skip_blanks();
            line_start_ = true;
        }
        return name;
    }

    void skip_blanks()
    {
        while (is_blank(peek()))
            take();
    }

    // White space and comments, with no paragraph break among them (list
    // and table structure).
    void skip_space()
    {
        for (;;) {
            if (is_blank(peek()) || peek() == '\n')
                take();
            else if (peek() == '%')
                skip_comment();
            else
                return;
        }
    }

    void skip_comment()
    {
        while (!at_end() && peek() != '\n')
            take();
        if (!at_end())
            take();
        skip_blanks();
        line_start_ = true;
    }

    // A {...} argument as it stands, braces nested (an environment's name,
    // a table's columns).
    std::string raw_argument(const std::string& of)
    {
        skip_space();
        if (peek() != '{')
            fail(of + " expects an argument in braces");
        take();
        std::string text;
        for (int depth = 1;;) {
            if (at_end())
                fail("the argument of " + of + " is not closed");
            const char c = take();
            depth += c == '{' ? 1 : c == '}' ? -1 : 0;
            if (depth == 0)
                return text;
            text += c;
        }
    }

    void expect_brace(const std::string& of)
    {
        skip_blanks();
        if (peek() != '{')
            fail("\\" + of + " expects an argument in braces");
        take();
    }

    // ---- text ----

    // Reads content into sink until what ends it in its context, and says
    // what did.
    Stop content(Context context, Sink& sink, bool typewriter)
    {
        for (;;) {
            if (at_end()) {
                if (context != Context::document)
                    fail(context == Context::argument ? "a { is not closed" : "an environment is not closed");
                return {StopKind::end_of_input, ""};
            }
            const char c = peek();
            if (is_blank(c) || c == '\n') {
                white_space(context, sink);
                continue;
            }
            line_start_ = false;
            switch (c) {
            case '%': skip_comment(); break;
            case '{': {
                take();
                content(Context::argument, sink, typewriter);
                break;
            }
            case '}':
                take();
                if (context != Context::argument)
                    fail("a } closes no {");
                return {StopKind::close_brace, ""};
            case '$':
                take();
                if (peek() == '$')
                    fail("$$ is not supported: write \\[ ... \\]");
                sink.text("<span class=\"math\">" + math('$') + "</span>");
                break;
            case '&':
                take();
                if (context != Context::cell)
                    fail("& outside a table");
                return {StopKind::next_cell, ""};
            case '~': take(); sink.text("&nbsp;"); break;
            case '#':
            case '^':
            case '_': fail(std::string("the character ") + c + " must be written \\" + c);
            case '\\': {
                if (std::optional<Stop> stop = control(context, sink, typewriter))
                    return *stop;
                break;
            }
            default: character(sink, typewriter); break;
            }
        }
    }

    // A run of white space: a paragraph break where it holds an empty line,
    // else one space.
    void white_space(Context context, Sink& sink)
    {
        int line_ends = line_start_ ? 1 : 0;
        while (is_blank(peek()) || peek() == '\n') {
            if (take() == '\n')
                ++line_ends;
        }
        line_start_ = false;
        if (line_ends < 2) {
            sink.space();
            return;
        }
        if (!takes_blocks(context))
            fail(context == Context::cell ? "an empty line in a table cell" : "an empty line inside {...}");
        sink.end_paragraph();
    }

    void character(Sink& sink, bool typewriter)
    {
        const char c = take();
        if (!typewriter) {
            if (c == '`' || c == '\'') {
                const bool doubled = peek() == c;
                if (doubled)
                    take();
                sink.text(c == '`' ? (doubled ? "\u201c" : "\u2018") : (doubled ? "\u201d" : "\u2019"));
                return;
            }
            if (c == '-' && peek() == '-') {
                take();
                const bool em = peek() == '-';
                if (em)
                    take();
                sink.text(em ? "\u2014" : "\u2013");
                return;
            }
        }
        sink.text(html_escaped(std::string_view(&c, 1)));
    }

    // A command in text mode; what it ends, if it ends the content.
    std::optional<Stop> control(Context context, Sink& sink, bool typewriter)
    {
        take();  // the backslash
        const bool word = is_letter(peek());
        const std::string name = command();
        if (name == "\\") {
            if (context == Context::cell)
                return Stop{StopKind::row_end, ""};
            if (peek() == '[' || peek() == '*')
                fail("\\\\ with an option is not supported");
            sink.text("<br>");
            return std::nullopt;
        }
        if (name == "item") {
            if (context != Context::item)
                fail("\\item outside a list");
            if (peek() == '[')
                fail("\\item[...] is not supported");
            return Stop{StopKind::item, ""};
        }
        if (name == "begin") {
            const std::string environment = raw_argument("\\begin");
            if (!takes_blocks(context))
                fail("the environment " + environment + " cannot stand inside {...} or a table cell");
            sink.block(begin(environment));
            return std::nullopt;
        }
        if (name == "end") {
            const std::string environment = raw_argument("\\end");
            if (context != Context::item && context != Context::cell)
                fail("\\end{" + environment + "} ends no environment");
            return Stop{StopKind::end_environment, environment};
        }
        if (name == "[") {
            if (!takes_blocks(context))
                fail("\\[ cannot stand inside {...} or a table cell");
            sink.block("<div class=\"display\"><span class=\"math\">" + math(']') + "</span></div>\n");
            return std::nullopt;
        }
        if (name == "par") {
            if (!takes_blocks(context))
                fail("\\par inside {...} or a table cell");
            sink.end_paragraph();
            return std::nullopt;
        }
        if (name == "problemname") {
            problem_name(context);
            return std::nullopt;
        }
        if (const Heading* heading = find_entry(headings, name)) {
            sink.block(heading_block(*heading, name, context));
            return std::nullopt;
        }
        if (const Style* style = find_entry(styles, name)) {
            expect_brace(name);
            const std::string element(style->element);
            sink.text("<" + element + ">");
            content(Context::argument, sink, typewriter || style->typewriter);
            sink.text("</" + element + ">");
            return std::nullopt;
        }
        if (name == "verb") {
            sink.text("<code>" + html_escaped(verb()) + "</code>");
            return std::nullopt;
        }
        if (const Symbol* symbol = find_entry(text_symbols, name)) {
            sink.text(symbol->html);
            return std::nullopt;
        }
        if (std::find(std::begin(spacing_commands), std::end(spacing_commands), name) != std::end(spacing_commands))
            return std::nullopt;
        if (name == "hline")
            fail("\\hline stands only between the rows of a table");
        fail((word ? "\\" : "the control symbol \\") + name + " is not supported");
    }

    // \problemname{...}: the statement's title, given in the body only.
    void problem_name(Context context)
    {
        if (context != Context::document)
            fail("\\problemname stands in the body only");
        expect_brace("problemname");
        Sink title(false);
        content(Context::argument, title, false);
        title_ = title.finish(false);
    }

    // A sectioning command (its star ignored) as its heading element.
    std::string heading_block(const Heading& heading, const std::string& name, Context context)
    {
        if (!takes_blocks(context))
            fail("\\" + name + " cannot stand inside {...} or a table cell");
        if (peek() == '*')
            take();
        expect_brace(name);
        Sink text(false);
        content(Context::argument, text, false);
        const std::string element(heading.element);
        return "<" + element + ">" + text.finish(false) + "</" + element + ">\n";
    }

    // \verb's argument: from its delimiter to the same character, on one line.
    std::string verb()
    {
        if (at_end() || is_blank(peek()) || peek() == '\n' || is_letter(peek()) || peek() == '*')
            fail("\\verb needs a delimiter, as in \\verb|text|");
        const char delimiter = take();
        std::string text;
        for (;;) {
            if (at_end() || peek() == '\n')
                fail(std::string("\\verb") + delimiter + " is not closed on its line");
            const char c = take();
            if (c == delimiter)
                return text;
            text += c;
        }
    }

    // ---- environments ----

    std::string begin(const std::string& environment)
    {
        if (environment == "itemize" || environment == "enumerate")
            return list(environment);
        if (environment == "tabular")
            return tabular();
        if (environment == "verbatim")
            return verbatim();
        fail("the environment " + environment + " is not supported");
    }

    void check_end(const Stop& stop, const std::string& environment)
    {
        if (stop.environment != environment)
            fail("\\end{" + stop.environment + "} where \\end{" + environment + "} belongs");
    }

    std::string list(const std::string& environment)
    {
        const std::string element = environment == "itemize" ? "ul" : "ol";
        std::string html = "<" + element + ">\n";
        skip_space();
        if (looking_at_word("end")) {
            take();
            command();
            check_end({StopKind::end_environment, raw_argument("\\end")}, environment);
            return html + "</" + element + ">\n";
        }
        if (!looking_at_word("item"))
            fail("a list holds nothing before its first \\item");
        take();
        command();
        for (;;) {
            if (peek() == '[')
                fail("\\item[...] is not supported");
            Sink item(true);
            const Stop stop = content(Context::item, item, false);
            html += "<li>" + item.finish(true) + "</li>\n";
            if (stop.kind == StopKind::end_environment) {
                check_end(stop, environment);
                return html + "</" + element + ">\n";
            }
        }
    }

    std::string tabular()
    {
        // The columns: l, c, r and p{width}; a | anywhere rules the table.
        const std::string columns = raw_argument("\\begin{tabular}");
        std::vector<std::string> aligns;
        bool ruled = false;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const char c = columns[i];
            if (c == 'l' || c == 'c' || c == 'r') {
                aligns.emplace_back(1, c);
            } else if (c == 'p') {
                const std::size_t close = columns.find('}', i);
                if (i + 1 >= columns.size() || columns[i + 1] != '{' || close == std::string::npos)
                    fail("the column p of a table needs its width, as in p{5cm}");
                aligns.emplace_back("p");
                i = close;
            } else if (c == '|') {
                ruled = true;
            } else if (!is_blank(c) && c != '\n') {
                fail(std::string("the table column ") + c + " is not supported (l, c, r, p{...} and |)");
            }
        }
        if (aligns.empty())
            fail("a table without columns");
        std::vector<std::vector<std::string>> rows;
        for (bool done = false; !done;) {
            skip_space();
            while (looking_at_word("hline")) {
                take();
                command();
                ruled = true;
                skip_space();
            }
            if (looking_at_word("end")) {
                take();
                command();
                check_end({StopKind::end_environment, raw_argument("\\end")}, "tabular");
                break;
            }
            std::vector<std::string> row;
            for (;;) {
                Sink cell(false);
                const Stop stop = content(Context::cell, cell, false);
                row.push_back(cell.finish(false));
                if (stop.kind == StopKind::next_cell) {
                    if (row.size() == aligns.size())
                        fail("a table row with more cells than the table has columns");
                    continue;
                }
                if (stop.kind == StopKind::end_environment) {
                    check_end(stop, "tabular");
                    done = true;
                }
                break;
            }
            if (!(done && row.size() == 1 && row[0].empty()))
                rows.push_back(row);
        }
        std::string html = ruled ? "<table class=\"tabular ruled\">\n" : "<table class=\"tabular\">\n";
        for (const std::vector<std::string>& row : rows) {
            html += "<tr>";
            for (std::size_t i = 0; i < row.size(); ++i)
                html += "<td class=\"" + aligns[i] + "\">" + row[i] + "</td>";
            html += "</tr>\n";
        }
        return html + "</table>\n";
    }

    std::string verbatim()
    {
        constexpr std::string_view closing = "\\end{verbatim}";
        const std::size_t end = src_.find(closing, pos_);
        if (end == std::string_view::npos)
            fail("\\begin{verbatim} is not closed");
        std::string_view text = src_.substr(pos_, end - pos_);
        // The line end right after \begin{verbatim} is not part of it.
        const std::size_t first = text.find_first_not_of(" \t");
        if (first != std::string_view::npos && text[first] == '\n')
            text.remove_prefix(first + 1);
        while (pos_ < end + closing.size())
            take();
        return "<pre class=\"verbatim\">\n" + html_escaped(text) + "</pre>\n";
    }

    // ---- math ----

    struct MathState {
        Atom last = Atom::none;
        bool script = false;  // in a subscript or superscript: no spacing
    };

    // Math up to its closing: '$', ']' (of \]) or '}' (of a group).
    std::string math(char closing, bool script = false)
    {
        MathState state;
        state.script = script;
        std::string html;
        for (;;) {
            if (at_end())
                fail(closing == '$' ? "a $ is not closed" : closing == ']' ? "a \\[ is not closed" : "a { is not closed");
            const char c = peek();
            if (is_blank(c) || c == '\n') {
                take();
                continue;
            }
            if (c == '%') {
                skip_comment();
                continue;
            }
            if (c == closing && closing != ']') {
                take();
                return html;
            }
            if (c == '$')
                fail("a $ inside math");
            if (c == '}')
                fail("a } closes no {");
            if (c == '{') {
                take();
                html += math('}', state.script);
                state.last = Atom::ord;
            } else if (c == '_' || c == '^') {
                take();
                const std::string element = c == '_' ? "sub" : "sup";
                html += "<" + element + ">" + script_argument() + "</" + element + ">";
                state.last = Atom::ord;
            } else if (is_letter(c)) {
                std::string letters;
                while (is_letter(peek()))
                    letters += take();
                html += "<i>" + letters + "</i>";
                state.last = Atom::ord;
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                while (std::isdigit(static_cast<unsigned char>(peek())))
                    html += take();
                state.last = Atom::ord;
            } else if (c == '\\') {
                take();
                const std::string name = command();
                if (name == "]" && closing == ']')
                    return html;
                math_command(name, html, state);
            } else {
                const MathChar* found = std::find_if(std::begin(math_chars), std::end(math_chars),
                                                     [&](const MathChar& entry) { return entry.c == c; });
                if (found == std::end(math_chars))
                    fail(std::string("the character ") + c + " is not supported in math");
                take();
                add_atom(html, state, found->html, found->atom);
            }
        }
    }

    // The one token or {group} after _ or ^.
    std::string script_argument()
    {
        skip_blanks();
        if (at_end())
            fail("_ or ^ without its argument");
        const char c = peek();
        if (c == '{') {
            take();
            return math('}', true);
        }
        if (c == '\\') {
            take();
            std::string html;
            MathState state;
            state.script = true;
            math_command(command(), html, state);
            return html;
        }
        if (is_letter(c) || std::isdigit(static_cast<unsigned char>(c))) {
            take();
            return is_letter(c) ? "<i>" + std::string(1, c) + "</i>" : std::string(1, c);
        }
        fail(std::string("_ or ^ before ") + c + " is not supported");
    }

    void math_command(const std::string& name, std::string& html, MathState& state)
    {
        if (const MathSymbol* symbol = find_entry(math_symbols, name)) {
            add_atom(html, state, symbol->html, symbol->atom);
            return;
        }
        if (const Symbol* space = find_entry(math_spaces, name)) {
            html += space->html;
            return;
        }
        if (name == "text" || name == "mathrm" || name == "texttt") {
            expect_brace(name);
            Sink text(false);
            content(Context::argument, text, name == "texttt");
            html += name == "texttt" ? "<code>" + text.finish(false) + "</code>"
                                     : "<span class=\"upright\">" + text.finish(false) + "</span>";
            state.last = Atom::ord;
            return;
        }
        fail("\\" + name + " is not supported in math");
    }

    // An atom, spaced as TeX spaces it outside scripts: relations on both
    // sides, a binary operator on both sides where it follows an operand
    // (else it is a sign), punctuation after.
    static void add_atom(std::string& html, MathState& state, std::string_view text, Atom atom)
    {
        const bool spaced = !state.script;
        if (atom == Atom::bin && !(state.last == Atom::ord || state.last == Atom::close))
            atom = Atom::ord;  // a sign: -5
        if (spaced && (atom == Atom::bin || atom == Atom::rel))
            html += " " + std::string(text) + " ";
        else if (spaced && atom == Atom::punct)
            html += std::string(text) + " ";
        else
            html += text;
        if (atom != Atom::none)
            state.last = atom;
    }

    std::string_view src_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool line_start_ = false;  // just past a line end that TeX skipped (a comment's, a command's)
    std::string title_;
};

}  // namespace

std::string html_escaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

HtmlStatement latex_to_html(std::string_view tex)
{
    return Converter(tex).run();
}

}  // namespace package
