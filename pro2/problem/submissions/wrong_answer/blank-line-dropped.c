/* Wrong answer: in blank-to-tab mode the blanks held back are written only
 * before a line's first other character, so a line of blanks alone loses
 * its partial group at the newline ("      " at width 4 comes out as one
 * tab, where the format keeps the two blanks: a tab and two blanks). */
#include <stdio.h>
#include <stdlib.h>

int main(void)
{
    char line[40];
    long r_lines = 0, r_blanks = 0, r_chars = 0, w_lines = 0, w_blanks = 0, w_chars = 0;
    if (!fgets(line, sizeof line, stdin))
        return 0;
    int mode = line[0];
    int width = 0;
    if (mode == 't' || mode == 'b') {
        char *p = line;
        while (*p && *p != ' ')
            p++;
        width = atoi(p);
    }
    int at_start = 1, held = 0, c;
    while ((c = getchar()) != EOF) {
        r_chars++;
        if (c == '\n')
            r_lines++;
        if (c == ' ')
            r_blanks++;
        if (mode != 't' && mode != 'b')
            continue;
        if (mode == 'b' && at_start && c == ' ') {
            held++;
            if (held == width) {
                putchar('\t');
                w_chars++;
                held = 0;
            }
            continue;
        }
        if (mode == 't' && at_start && c == '\t') {
            for (int i = 0; i < width; i++) {
                putchar(' ');
                w_blanks++;
                w_chars++;
            }
            continue;
        }
        if (mode == 'b' && at_start && c != '\t' && c != '\n') {
            for (; held > 0; held--) {
                putchar(' ');
                w_blanks++;
                w_chars++;
            }
        }
        putchar(c);
        w_chars++;
        if (c == '\n') {
            w_lines++;
            at_start = 1;
            held = 0;
        } else if (c == ' ') {
            w_blanks++;
        } else if (c != '\t') {
            at_start = 0;
            held = 0;
        }
    }
    printf("%ld %ld %ld\n", r_lines, r_blanks, r_chars);
    if (mode == 't' || mode == 'b')
        printf("%ld %ld %ld\n", w_lines, w_blanks, w_chars);
    return 0;
}
