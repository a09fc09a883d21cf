// PRO6 with std::sort and std::equal_range, but positions counted from 0.
#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    int n, m, q;
    if (std::scanf("%d %d", &n, &m) != 2)
        return 1;
    std::vector<int> v(n + m);
    for (int& x : v)
        std::scanf("%d", &x);
    std::sort(v.begin(), v.end());
    for (std::size_t i = 0; i < v.size(); ++i)
        std::printf(i ? " %d" : "%d", v[i]);
    std::printf("\n");
    std::scanf("%d", &q);
    while (q--) {
        int x;
        std::scanf("%d", &x);
        const auto [from, to] = std::equal_range(v.begin(), v.end(), x);
        if (from == to)
            std::printf("Number Not Found");
        for (auto at = from; at != to; ++at)
            std::printf(at == from ? "%d" : " %d", static_cast<int>(at - v.begin()));
        std::printf("\n");
    }
}
