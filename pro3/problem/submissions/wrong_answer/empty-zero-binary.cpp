// Wrong answer: the base-2 printer skips the zero bits before the first one
// bit but forgets that the value 0 has none: it prints an empty line where
// the digit 0 belongs.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

const long long M = 8247596325LL;
long long terms[80];
int p, q, r, n, radix = 10;

std::string binary(long long v)
{
    std::string s;
    bool leading = true;
    for (int b = 62; b >= 0; --b) {
        bool one = (v >> b) & 1;
        if (one)
            leading = false;
        if (!leading)
            s += one ? '1' : '0';
    }
    return s;
}

long long evaluate()
{
    if (n <= 2)
        return terms[n];
    long long x = terms[1], y = terms[2];
    for (int k = 3; k <= n; ++k) {
        long long z = (long long)((unsigned long long)p * y + (unsigned long long)q * x + r) % M;
        x = y;
        y = z;
    }
    return y;
}

int main()
{
    std::ios::sync_with_stdio(false);
    std::string token;
    int count = 0;
    char buffer[32];
    while (std::cin >> token) {
        std::size_t eq = token.find('=');
        std::string value = eq == std::string::npos ? "" : token.substr(eq + 1);
        while (!value.empty() && value[0] == '=')
            value.erase(0, 1);
        switch (token[0]) {
        case 'p': p = std::atoi(value.c_str()); break;
        case 'q': q = std::atoi(value.c_str()); break;
        case 'r': r = std::atoi(value.c_str()); break;
        case 'n': n = std::atoi(value.c_str()); break;
        case 'a':
            if (token.size() > 1 && token[1] >= '0' && !value.empty() &&
                (value[0] == '-' || value[0] == '+' || (value[0] >= '0' && value[0] <= '9')))
                terms[token[1] - '0'] = std::strtoll(value.c_str(), nullptr, 10);
            break;
        case 's':
            if (!value.empty()) {
                if (value[0] == 'b') radix = 2;
                if (value[0] == 'o') radix = 8;
                if (value[0] == 'd') radix = 10;
                if (value[0] == 'h') radix = 16;
            }
            break;
        }
        if (++count < 7)
            continue;
        count = 0;
        long long v = evaluate();
        if (v == 8)
            std::cout << "This is a transitive verb.\n";
        else if (v == 9)
            std::cout << "This number has been deleted.\n";
        else if (v == 7)
            std::cout << "This is a bad number.\n";
        else if (radix == 2)
            std::cout << binary(v) << '\n';
        else {
            std::snprintf(buffer, sizeof buffer, radix == 8 ? "%llo" : radix == 16 ? "%llX" : "%lld", v);
            std::cout << buffer << '\n';
        }
    }
    return 0;
}
