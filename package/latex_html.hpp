// A problem statement's LaTeX as HTML: the part of LaTeX that statements
// are written in, the same that the contest systems' own converters take.
//
//   \problemname{...}                      the title, kept apart from the body
//   \section{...}, \section*{...}          <h2>; \subsection <h3>, \subsubsection <h4>
//   paragraphs (blank lines), \par, \\     <p>, <br>
//   itemize, enumerate with \item          <ul>, <ol>
//   tabular{l c r p{..} |} with & \\ \hline  <table>, ruled when the columns or rows are
//   verbatim, \verb|...|                   <pre>, <code>
//   \emph, \textit, \textbf, \texttt       <em>, <em>, <strong>, <code>
//   $...$, \[...\]                         math as HTML text: italic letters, <sub>,
//                                          <sup>, the symbols of the table in the source
//   `` '' ` ' -- --- ~ \, \  \% \& \# \_ \{ \} \$ \ldots \textbackslash, % comments
//
// Anything else is refused with the line it stands on, so that a statement
// never loses text unseen.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace package {

// A construct the converter does not take, or malformed LaTeX; the message
// begins with "line N: ".
struct LatexError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct HtmlStatement {
    std::string title;       // \problemname's argument as HTML ("" without one)
    std::string title_text;  // the same without its tags, for <title>
    std::string body;        // the rest, block after block
};

HtmlStatement latex_to_html(std::string_view tex);

// Text with &, <, > and " written as HTML character references.
std::string html_escaped(std::string_view text);

}  // namespace package
