/* PRO6 by sorting all values together with an insertion-free radix pass
   (two 16-bit counting passes on the values offset to unsigned). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void radix(unsigned *v, unsigned *tmp, int count)
{
    for (int shift = 0; shift < 32; shift += 16) {
        static int seen[65537];
        memset(seen, 0, sizeof seen);
        for (int i = 0; i < count; i++)
            seen[((v[i] >> shift) & 0xffff) + 1]++;
        for (int d = 0; d < 65536; d++)
            seen[d + 1] += seen[d];
        for (int i = 0; i < count; i++)
            tmp[seen[(v[i] >> shift) & 0xffff]++] = v[i];
        memcpy(v, tmp, sizeof(unsigned) * count);
    }
}

int main(void)
{
    int n, m, q;
    if (scanf("%d %d", &n, &m) != 2)
        return 1;
    unsigned *v = malloc(sizeof(unsigned) * (n + m + 1)), *tmp = malloc(sizeof(unsigned) * (n + m + 1));
    for (int i = 0; i < n + m; i++) {
        int x;
        scanf("%d", &x);
        v[i] = (unsigned)x ^ 0x80000000u;
    }
    radix(v, tmp, n + m);
    for (int i = 0; i < n + m; i++)
        printf(i ? " %d" : "%d", (int)(v[i] ^ 0x80000000u));
    printf("\n");
    scanf("%d", &q);
    while (q--) {
        int x, found = 0;
        scanf("%d", &x);
        unsigned key = (unsigned)x ^ 0x80000000u;
        int lo = 0, hi = n + m;
        while (lo < hi) {
            int mid = lo + (hi - lo) / 2;
            if (v[mid] < key)
                lo = mid + 1;
            else
                hi = mid;
        }
        for (; lo < n + m && v[lo] == key; lo++, found = 1)
            printf(found ? " %d" : "%d", lo + 1);
        puts(found ? "" : "Number Not Found");
    }
    return 0;
}
