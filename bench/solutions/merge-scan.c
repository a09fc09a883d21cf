/* PRO6 by a merge of the two runs and a binary search per value. */
#include <stdio.h>
#include <stdlib.h>

int main(void)
{
    int n, m, q;
    if (scanf("%d %d", &n, &m) != 2)
        return 1;
    int *a = malloc(sizeof(int) * (n + 1)), *b = malloc(sizeof(int) * (m + 1)), *v = malloc(sizeof(int) * (n + m + 1));
    for (int i = 0; i < n; i++)
        scanf("%d", &a[i]);
    for (int i = 0; i < m; i++)
        scanf("%d", &b[i]);
    int i = 0, j = 0, k = 0;
    while (i < n || j < m)
        v[k++] = j >= m || (i < n && a[i] <= b[j]) ? a[i++] : b[j++];
    for (k = 0; k < n + m; k++)
        printf(k ? " %d" : "%d", v[k]);
    printf("\n");
    scanf("%d", &q);
    while (q--) {
        int x, lo = 0, hi = n + m, found = 0;
        scanf("%d", &x);
        while (lo < hi) {
            int mid = lo + (hi - lo) / 2;
            if (v[mid] < x)
                lo = mid + 1;
            else
                hi = mid;
        }
        for (; lo < n + m && v[lo] == x; lo++, found = 1)
            printf(found ? " %d" : "%d", lo + 1);
        puts(found ? "" : "Number Not Found");
    }
    return 0;
}
