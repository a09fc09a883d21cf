// PRO6, not finished: it does not compile.
#include <cstdio>

int main()
{
    int n, m;
    std::scanf("%d %d", &n, &m)
    return 0;
}
