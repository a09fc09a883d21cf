/* PRO6 with qsort and a binary search per value (search.c). */
#include <stdio.h>
#include <stdlib.h>

#include "search.h"

static int cmp(const void *a, const void *b)
{
    int x = *(const int *)a, y = *(const int *)b;
    return (x > y) - (x < y);
}

int main(void)
{
    int n, m, q;
    if (scanf("%d %d", &n, &m) != 2)
        return 1;
    int *v = malloc(sizeof(int) * (n + m + 1));
    for (int i = 0; i < n + m; i++)
        scanf("%d", &v[i]);
    qsort(v, n + m, sizeof(int), cmp);
    for (int i = 0; i < n + m; i++)
        printf(i ? " %d" : "%d", v[i]);
    printf("\n");
    scanf("%d", &q);
    while (q--) {
        int x, found = 0;
        scanf("%d", &x);
        for (int i = first_place(v, n + m, x); i < n + m && v[i] == x; i++) {
            printf(found ? " %d" : "%d", i + 1);
            found = 1;
        }
        if (!found)
            printf("Number Not Found");
        printf("\n");
    }
    return 0;
}
