// Wrong answer: prints the positions 0-based (the index in the merged
// array), one less than the 1-based positions asked for.
#include <cstdio>
#include <vector>

int main()
{
    int n, m;
    if (std::scanf("%d %d", &n, &m) != 2)
        return 0;
    std::vector<int> a(n), b(m), merged;
    merged.reserve(n + m);
    for (int& x : a)
        std::scanf("%d", &x);
    for (int& x : b)
        std::scanf("%d", &x);
    int i = 0, j = 0;
    while (i < n && j < m)
        merged.push_back(a[i] <= b[j] ? a[i++] : b[j++]);
    while (i < n)
        merged.push_back(a[i++]);
    while (j < m)
        merged.push_back(b[j++]);
    for (std::size_t k = 0; k < merged.size(); ++k)
        std::printf(k == 0 ? "%d" : " %d", merged[k]);
    std::printf("\n");
    int q;
    std::scanf("%d", &q);
    for (int t = 0; t < q; ++t) {
        int x;
        std::scanf("%d", &x);
        int lo = 0, hi = static_cast<int>(merged.size()) - 1, found = -1;
        while (lo <= hi) {
            int mid = (lo + hi) / 2;
            if (merged[mid] == x) {
                found = mid;
                break;
            }
            if (x < merged[mid])
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        if (found < 0) {
            std::printf("Number Not Found\n");
            continue;
        }
        int first = found, last = found;
        while (first > 0 && merged[first - 1] == x)
            --first;
        while (last + 1 < static_cast<int>(merged.size()) && merged[last + 1] == x)
            ++last;
        for (int p = first; p <= last; ++p)
            std::printf(p == first ? "%d" : " %d", p);
        std::printf("\n");
    }
    return 0;
}
