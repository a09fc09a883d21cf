/* Wrong answer: adds the prices up in an int, so a total past 2147483647
 * (two offers at the highest price are enough) wraps around. */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static int demand[600];
static int count[600];

static int by_price(const void *a, const void *b)
{
    int x = *(const int *)a, y = *(const int *)b;
    return (x > y) - (x < y);
}

int main(void)
{
    int g, m;
    if (scanf("%d", &g) != 1)
        return 0;
    for (int i = 0; i < g; i++) {
        int n;
        if (scanf("%d", &n) != 1)
            return 0;
        for (int j = 0; j < n; j++) {
            int item, quantity;
            if (scanf("%d%d", &item, &quantity) != 2)
                return 0;
            demand[item - 200] += quantity;
        }
    }
    if (scanf("%d", &m) != 1)
        return 0;
    if (m < 0)
        m = 0;
    int *item = malloc(sizeof(int) * (size_t)(m + 1));
    int *price = malloc(sizeof(int) * (size_t)(m + 1));
    for (int i = 0; i < m; i++) {
        if (scanf("%d%d", &item[i], &price[i]) != 2)
            return 0;
        count[item[i] - 200]++;
    }
    /* the offers grouped by item: start[k] is where item k's prices begin */
    int start[601];
    start[0] = 0;
    for (int k = 0; k < 600; k++)
        start[k + 1] = start[k] + count[k];
    int *grouped = malloc(sizeof(int) * (size_t)(m + 1));
    int fill[600];
    for (int k = 0; k < 600; k++)
        fill[k] = start[k];
    for (int i = 0; i < m; i++)
        grouped[fill[item[i] - 200]++] = price[i];
    int total = 0;
    for (int k = 0; k < 600; k++) {
        if (demand[k] <= 0 || count[k] == 0)
            continue;
        qsort(grouped + start[k], (size_t)count[k], sizeof(int), by_price);
        for (int j = 0; j < demand[k] && j < count[k]; j++)
            total += grouped[start[k] + j];
    }
    printf("%d\n", total);
    printf("%d\n", (int)(clock() * 1000 / CLOCKS_PER_SEC));
    free(item);
    free(price);
    free(grouped);
    return 0;
}
