// Wrong answer: sets an item's demand to the quantity of its latest order
// line (demand[item] = quantity) instead of adding up every order line of
// the item, over all orders.
#include <algorithm>
#include <iostream>
#include <map>
#include <vector>

int main()
{
    std::ios::sync_with_stdio(false);
    std::cin.tie(nullptr);
    int g;
    std::cin >> g;
    std::map<int, int> demand;
    for (int i = 0; i < g; ++i) {
        int n;
        std::cin >> n;
        for (int j = 0; j < n; ++j) {
            int item, quantity;
            std::cin >> item >> quantity;
            demand[item] = quantity;
        }
    }
    int m;
    std::cin >> m;
    std::map<int, std::vector<int>> offers;
    for (int i = 0; i < m; ++i) {
        int item, price;
        std::cin >> item >> price;
        if (demand.count(item))
            offers[item].push_back(price);
    }
    long long total = 0;
    for (auto& [item, prices] : offers) {
        std::sort(prices.begin(), prices.end());
        int need = demand[item];
        for (int k = 0; k < need && k < (int)prices.size(); ++k)
            total += prices[k];
    }
    std::cout << total << "\n0\n";
    return 0;
}
