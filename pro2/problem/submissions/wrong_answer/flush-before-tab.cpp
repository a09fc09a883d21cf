// Wrong answer: in blank-to-tab mode, a tab in the leading white space
// first writes the blanks held back so far, as if a tab ended a group. The
// format keeps them: blanks on both sides of a tab count toward one group
// ("  \t  x" at width 4 is two tabs and x).
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

struct Counts {
    long lines = 0, blanks = 0, chars = 0;
    void see(int c)
    {
        lines += c == '\n';
        blanks += c == ' ';
        ++chars;
    }
};

Counts in, out;

void put(int c)
{
    out.see(c);
    std::putchar(c);
}

int main()
{
    std::ios::sync_with_stdio(false);
    std::string header;
    if (!std::getline(std::cin, header))
        return 0;
    std::istringstream words(header);
    std::string first;
    int width = 0;
    words >> first >> width;
    const char mode = header.empty() ? ' ' : header[0];
    bool leading = true;
    int pending = 0;
    for (int c; (c = std::cin.get()) != EOF;) {
        in.see(c);
        if (mode == 't') {
            if (c == '\t' && leading) {
                for (int i = 0; i < width; ++i)
                    put(' ');
                continue;
            }
            if (c == '\n')
                leading = true;
            else if (c != ' ' && c != '\t')
                leading = false;
            put(c);
        } else if (mode == 'b') {
            if (c == ' ' && leading) {
                if (++pending == width) {
                    put('\t');
                    pending = 0;
                }
            } else if (c == '\t' && leading) {
                for (; pending > 0; --pending)
                    put(' ');
                put('\t');
            } else if (c == '\t') {
                put('\t');
            } else {
                for (; leading && pending > 0; --pending)
                    put(' ');
                put(c);
                leading = c == '\n';
                pending = 0;
            }
        }
    }
    std::printf("%ld %ld %ld\n", in.lines, in.blanks, in.chars);
    if (mode == 't' || mode == 'b')
        std::printf("%ld %ld %ld\n", out.lines, out.blanks, out.chars);
    return 0;
}
