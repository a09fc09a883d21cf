// Wrong answer: takes the remainder as a residue from 0 to the modulus - 1
// (adds the modulus to a negative remainder), as mathematics writes mod.
// The format keeps the sign of the sum: -5 must stay -5, not 8247596320.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const long long M = 8247596325LL;
long long term[80];
int p, q, r, n, radix = 10;

long long nth()
{
    if (n <= 2)
        return term[n];
    long long before = term[1], previous = term[2];
    for (int k = 3; k <= n; ++k) {
        // unsigned, so that the sum wraps as the format says
        unsigned long long sum = (unsigned long long)p * previous + (unsigned long long)q * before + r;
        long long t = (long long)sum % M;
        if (t < 0)
            t += M;
        before = previous;
        previous = t;
    }
    return previous;
}

void print(long long v)
{
    if (v == 8) {
        std::puts("This is a transitive verb.");
    } else if (v == 9) {
        std::puts("This number has been deleted.");
    } else if (v == 7) {
        std::puts("This is a bad number.");
    } else if (radix == 10) {
        std::printf("%lld\n", v);
    } else if (radix == 8) {
        std::printf("%llo\n", (unsigned long long)v);
    } else if (radix == 16) {
        std::printf("%llX\n", (unsigned long long)v);
    } else {
        std::string bits;
        for (int b = 62; b >= 0; --b)
            if ((v >> b) & 1 || !bits.empty())
                bits += (v >> b) & 1 ? '1' : '0';
        std::puts(bits.empty() ? "0" : bits.c_str());
    }
}

int main()
{
    char token[64];
    int count = 0;
    while (std::scanf("%63s", token) == 1) {
        const char* eq = std::strchr(token, '=');
        const char* value = eq ? eq + 1 : "";
        while (*value == '=')
            ++value;
        switch (token[0]) {
        case 'p': p = std::atoi(value); break;
        case 'q': q = std::atoi(value); break;
        case 'r': r = std::atoi(value); break;
        case 'n': n = std::atoi(value); break;
        case 'a':
            if (token[1] >= '0')
                std::sscanf(value, "%lld", &term[token[1] - '0']);
            break;
        case 's':
            if (value[0] == 'b') radix = 2;
            if (value[0] == 'o') radix = 8;
            if (value[0] == 'd') radix = 10;
            if (value[0] == 'h') radix = 16;
            break;
        }
        if (++count == 7) {
            count = 0;
            print(nth());
        }
    }
    return 0;
}
