// Wrong answer: keeps the positions in a short, so a position beyond 32767
// wraps and comes out negative.
#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    int n, m;
    if (std::scanf("%d %d", &n, &m) != 2)
        return 0;
    std::vector<int> values(n + m);
    for (int& x : values)
        std::scanf("%d", &x);
    std::vector<int> merged(n + m);
    std::merge(values.begin(), values.begin() + n, values.begin() + n, values.end(), merged.begin());
    for (std::size_t k = 0; k < merged.size(); ++k)
        std::printf(k == 0 ? "%d" : " %d", merged[k]);
    std::printf("\n");
    int q;
    std::scanf("%d", &q);
    while (q-- > 0) {
        int x;
        std::scanf("%d", &x);
        auto run = std::equal_range(merged.begin(), merged.end(), x);
        if (run.first == run.second) {
            std::puts("Number Not Found");
            continue;
        }
        std::vector<short> positions;
        for (auto at = run.first; at != run.second; ++at)
            positions.push_back(at - merged.begin() + 1);
        for (std::size_t k = 0; k < positions.size(); ++k)
            std::printf(k == 0 ? "%d" : " %d", positions[k]);
        std::printf("\n");
    }
    return 0;
}
