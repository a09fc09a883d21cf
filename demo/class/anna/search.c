/* A binary search for the first place of a value. */
#include "search.h"

int first_place(const int *v, int count, int x)
{
    int lo = 0, hi = count;
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (v[mid] < x)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}
