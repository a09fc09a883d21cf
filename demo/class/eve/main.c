/* PRO6 with the merged sequence on the stack: too small for large cases. */
#include <stdio.h>
#include <stdlib.h>

static int order(const void *a, const void *b)
{
    int x = *(const int *)a, y = *(const int *)b;
    return (x > y) - (x < y);
}

int main(void)
{
    int v[15000], n, m, q;
    if (scanf("%d %d", &n, &m) != 2)
        return 1;
    for (int i = 0; i < n + m; i++)
        scanf("%d", &v[i]);
    qsort(v, n + m, sizeof v[0], order);
    for (int i = 0; i < n + m; i++)
        printf(i ? " %d" : "%d", v[i]);
    printf("\n");
    scanf("%d", &q);
    while (q--) {
        int x, found = 0;
        scanf("%d", &x);
        for (int i = 0; i < n + m; i++)
            if (v[i] == x) {
                printf(found ? " %d" : "%d", i + 1);
                found = 1;
            }
        puts(found ? "" : "Number Not Found");
    }
    return 0;
}
