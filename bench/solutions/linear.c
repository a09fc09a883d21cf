/* PRO6 by a merge and a linear scan per value. */
#include <stdio.h>
#include <stdlib.h>

int main(void)
{
    int n, m, q;
    if (scanf("%d %d", &n, &m) != 2)
        return 1;
    int *v = malloc(sizeof(int) * (n + m + 1));
    for (int i = 0; i < n + m; i++)
        scanf("%d", &v[i]);
    int *w = malloc(sizeof(int) * (n + m + 1));
    int i = 0, j = n, k = 0;
    while (i < n || j < n + m)
        w[k++] = j >= n + m || (i < n && v[i] <= v[j]) ? v[i++] : v[j++];
    for (k = 0; k < n + m; k++)
        printf(k ? " %d" : "%d", w[k]);
    printf("\n");
    scanf("%d", &q);
    while (q--) {
        int x, found = 0;
        scanf("%d", &x);
        for (k = 0; k < n + m && w[k] <= x; k++)
            if (w[k] == x) {
                printf(found ? " %d" : "%d", k + 1);
                found = 1;
            }
        puts(found ? "" : "Number Not Found");
    }
    return 0;
}
