/* Wrong answer: counts a tab as a blank, in the input and in the output:
 * "blanks" are the blank character (32) alone. */
#include <stdio.h>

struct counts {
    int lines, blanks, chars;
};

static struct counts in, out;

static void count(struct counts *c, int ch)
{
    if (ch == '\n')
        c->lines++;
    if (ch == ' ' || ch == '\t')
        c->blanks++;
    c->chars++;
}

static void emit(int ch)
{
    count(&out, ch);
    putchar(ch);
}

int main(void)
{
    char header[100];
    if (fgets(header, sizeof header, stdin) == NULL)
        return 0;
    char mode = header[0] == 't' ? 'T' : header[0] == 'b' ? 'B' : 'W';
    int width = 0;
    char *p = header;
    while (*p == ' ')
        p++;
    while (*p && *p != ' ' && *p != '\n')
        p++;
    sscanf(p, "%d", &width);

    int ch, start = 1, spaces = 0;
    while ((ch = getchar()) != EOF) {
        count(&in, ch);
        switch (mode) {
        case 'T':
            if (ch == '\t' && start) {
                for (int i = 0; i < width; i++)
                    emit(' ');
                break;
            }
            emit(ch);
            if (ch == '\n')
                start = 1;
            else if (ch != ' ' && ch != '\t')
                start = 0;
            break;
        case 'B':
            if (ch == ' ' && start) {
                if (++spaces == width) {
                    emit('\t');
                    spaces = 0;
                }
            } else if (ch == '\t') {
                emit('\t');
            } else {
                while (start && spaces > 0) {
                    emit(' ');
                    spaces--;
                }
                emit(ch);
                start = ch == '\n';
                spaces = 0;
            }
            break;
        }
    }
    printf("%d %d %d\n", in.lines, in.blanks, in.chars);
    if (mode != 'W')
        printf("%d %d %d\n", out.lines, out.blanks, out.chars);
    return 0;
}
