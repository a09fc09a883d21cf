// A package's statement as contest systems show it to contestants:
// problem_statement/problem.pdf, rendered by pdflatex from problem.en.tex
// in a document of its own, and problem_statement/problem.html, converted
// from the same source; both end with the samples of data/sample.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace package {

// The part of a sample's text that a statement shows: its first lines, as
// many as fit a page or two once long lines are wrapped, and at least a
// part of the first; the whole sample is its file.
struct SampleView {
    std::vector<std::string> lines;  // without their newlines
    bool ended = true;               // the last line shown ends with a newline
    bool whole = true;               // every byte of the text is shown
};

// The columns of a sample row on the page, and the rows a sample shows at
// most.
constexpr std::size_t sample_columns = 80;
constexpr std::size_t sample_rows = 100;

SampleView sample_view(const std::string& text);

// Which marks a sample's display needs explained under the samples.
struct SampleMarks {
    bool tab = false;        // a tab, shown as an arrow
    bool blank = false;      // a blank at the end of a line, shown as a visible blank
    bool byte = false;       // a byte outside printable ASCII, shown by its code
    bool continued = false;  // a line wrapped onto rows of its own (the PDF only)
};

// The rows of a sample in the LaTeX document: \sampleline{...} for a
// line's first row, \samplemore{...} for the rows it wraps onto, every
// character set as the typewriter font prints it.
std::string sample_latex(const SampleView& view, SampleMarks& marks);

// The text of a sample's <pre>: the text itself, with its tabs, blanks at
// a line's end and other bytes marked for the eye.
std::string sample_html(const SampleView& view, SampleMarks& marks);

struct RenderedStatement {
    bool html = false;                  // problem.html there
    bool pdf = false;                   // problem.pdf there
    bool unchanged = false;             // both kept from an earlier rendering of the same sources
    int pages = 0;
    std::string log;                    // pdflatex's log of its last run ("" when unchanged)
    std::vector<std::string> warnings;  // the log's overfull boxes and LaTeX warnings
};

// Writes problem_statement/problem.html and, where pdflatex is on PATH,
// problem_statement/problem.pdf from problem_statement/problem.en.tex and
// data/sample; says on standard output what it wrote and any overfull
// box, and once on standard error when pdflatex is missing (the package
// then has no problem.pdf). Both are kept as they are when they were made
// from the same statement and samples, unless again. A statement that
// cannot be rendered is a PackageError.
RenderedStatement render_statement(const std::filesystem::path& package, bool again = false);

}  // namespace package
