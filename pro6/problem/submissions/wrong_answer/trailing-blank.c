/* Wrong answer: writes a blank after every number, the last of a line
 * included, on the merged line and on every line of positions. */
#include <stdio.h>
#include <stdlib.h>

int main(void)
{
    int n, m;
    if (scanf("%d %d", &n, &m) != 2)
        return 0;
    int *a = malloc(sizeof(int) * (size_t)(n + m + 1));
    for (int i = 0; i < n + m; i++)
        if (scanf("%d", &a[i]) != 1)
            return 0;
    /* both sequences are in a, one after the other: merge them into c */
    int *c = malloc(sizeof(int) * (size_t)(n + m + 1));
    int i = 0, j = n, k = 0;
    while (i < n && j < n + m)
        c[k++] = a[i] <= a[j] ? a[i++] : a[j++];
    while (i < n)
        c[k++] = a[i++];
    while (j < n + m)
        c[k++] = a[j++];
    for (int t = 0; t < k; t++)
        printf("%d ", c[t]);
    printf("\n");
    int q;
    if (scanf("%d", &q) != 1)
        return 0;
    while (q-- > 0) {
        int x;
        if (scanf("%d", &x) != 1)
            break;
        int lo = 0, hi = k;
        while (lo < hi) {
            int mid = lo + (hi - lo) / 2;
            if (c[mid] < x)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo == k || c[lo] != x) {
            printf("Number Not Found\n");
            continue;
        }
        for (int p = lo; p < k && c[p] == x; p++)
            printf("%d ", p + 1);
        printf("\n");
    }
    free(a);
    free(c);
    return 0;
}
