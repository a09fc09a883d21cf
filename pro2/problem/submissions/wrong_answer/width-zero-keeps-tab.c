/* Wrong answer: in tab-to-blank mode a width of 0 or less cannot give any
 * blanks, so this keeps the leading tab as it is; the format writes N blanks
 * for it, which for N <= 0 is none: the tab vanishes. */
#include <stdio.h>
#include <string.h>

long in_lines, in_blanks, in_chars, out_lines, out_blanks, out_chars;

static int get(void)
{
    int c = getchar();
    if (c == EOF)
        return c;
    if (c == '\n')
        in_lines++;
    else if (c == ' ')
        in_blanks++;
    in_chars++;
    return c;
}

static void put(int c)
{
    if (c == '\n')
        out_lines++;
    else if (c == ' ')
        out_blanks++;
    out_chars++;
    putchar(c);
}

int main(void)
{
    char header[64] = "";
    if (fgets(header, sizeof header, stdin) == NULL)
        return 0;
    char mode = header[0];
    int n = 0;
    char word[64];
    if (mode == 't' || mode == 'b')
        sscanf(header, "%63s %d", word, &n);
    int c, leading = 1, pending = 0;
    if (mode == 't') {
        while ((c = get()) != EOF) {
            if (c == '\t' && leading) {
                if (n > 0)
                    for (int i = 0; i < n; i++)
                        put(' ');
                else
                    put('\t');
            } else {
                put(c);
                if (c == '\n')
                    leading = 1;
                else if (c != ' ' && c != '\t')
                    leading = 0;
            }
        }
    } else if (mode == 'b') {
        while ((c = get()) != EOF) {
            if (c == ' ' && leading) {
                if (++pending == n) {
                    put('\t');
                    pending = 0;
                }
            } else if (c == '\t') {
                put('\t');
            } else {
                if (leading)
                    for (; pending > 0; pending--)
                        put(' ');
                put(c);
                leading = c == '\n';
                pending = 0;
            }
        }
    } else {
        while (get() != EOF)
            ;
        printf("%ld %ld %ld\n", in_lines, in_blanks, in_chars);
        return 0;
    }
    printf("%ld %ld %ld\n%ld %ld %ld\n", in_lines, in_blanks, in_chars, out_lines, out_blanks, out_chars);
    return 0;
}
