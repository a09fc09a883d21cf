// Wrong answer: takes each item's offers in the order they come, the first
// `demand` of them, instead of the cheapest.
#include <cstdio>
#include <ctime>
#include <vector>

int main()
{
    int orders;
    if (std::scanf("%d", &orders) != 1)
        return 0;
    std::vector<long long> demand(800, 0);
    for (int o = 0; o < orders; ++o) {
        int lines;
        std::scanf("%d", &lines);
        for (int l = 0; l < lines; ++l) {
            int item, quantity;
            std::scanf("%d %d", &item, &quantity);
            demand[item] += quantity;
        }
    }
    int offers;
    std::scanf("%d", &offers);
    std::vector<std::vector<int>> prices(800);
    for (int i = 0; i < offers; ++i) {
        int item, price;
        std::scanf("%d %d", &item, &price);
        prices[item].push_back(price);
    }
    long long total = 0;
    for (int item = 200; item < 800; ++item)
        for (long long k = 0; k < demand[item] && k < (long long)prices[item].size(); ++k)
            total += prices[item][k];
    std::printf("%lld\n%ld\n", total, (long)(std::clock() * 1000 / CLOCKS_PER_SEC));
    return 0;
}
