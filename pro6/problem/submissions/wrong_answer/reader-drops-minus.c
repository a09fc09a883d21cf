/* Wrong answer: a fast reader that skips everything up to the next digit,
 * so a minus sign is dropped and -7 is read as 7. The digits are gathered in
 * an unsigned int, so -2147483648 comes back as 2147483648, which wraps to
 * -2147483648 again: only the smallest value survives. */
#include <stdio.h>
#include <stdlib.h>

static int read_int(void)
{
    int c = getchar();
    while (c != EOF && (c < '0' || c > '9'))
        c = getchar();
    unsigned int v = 0;
    while (c >= '0' && c <= '9') {
        v = v * 10 + (unsigned int)(c - '0');
        c = getchar();
    }
    return (int)v;
}

int main(void)
{
    int n = read_int(), m = read_int();
    int *a = malloc(sizeof(int) * (size_t)(n + 1));
    int *b = malloc(sizeof(int) * (size_t)(m + 1));
    int *c = malloc(sizeof(int) * (size_t)(n + m + 1));
    for (int i = 0; i < n; i++)
        a[i] = read_int();
    for (int j = 0; j < m; j++)
        b[j] = read_int();
    int i = 0, j = 0, k = 0;
    while (i < n && j < m)
        c[k++] = a[i] <= b[j] ? a[i++] : b[j++];
    while (i < n)
        c[k++] = a[i++];
    while (j < m)
        c[k++] = b[j++];
    for (int t = 0; t < k; t++)
        printf(t ? " %d" : "%d", c[t]);
    printf("\n");
    int q = read_int();
    while (q-- > 0) {
        int x = read_int();
        int lo = 0, hi = k - 1, at = -1;
        while (lo <= hi) {
            int mid = (lo + hi) / 2;
            if (c[mid] == x) {
                at = mid;
                break;
            }
            if (x < c[mid])
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        if (at < 0) {
            printf("Number Not Found\n");
            continue;
        }
        int first = at, last = at;
        while (first > 0 && c[first - 1] == x)
            first--;
        while (last + 1 < k && c[last + 1] == x)
            last++;
        for (int p = first; p <= last; p++)
            printf(p > first ? " %d" : "%d", p + 1);
        printf("\n");
    }
    free(a);
    free(b);
    free(c);
    return 0;
}
