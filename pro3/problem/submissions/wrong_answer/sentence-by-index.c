/* Wrong answer: reads "the results 7, 8 and 9 are replaced" as terms number
 * 7, 8 and 9: prints the sentences when n is 7, 8 or 9, and the number
 * itself when the term's value is 7, 8 or 9. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const long long M = 8247596325LL;
long long a[80];
int p, q, r, n, radix = 10;

void print_number(long long v)
{
    if (radix == 10) {
        printf("%lld\n", v);
    } else if (radix == 8) {
        printf("%llo\n", (unsigned long long)v);
    } else if (radix == 16) {
        printf("%llX\n", (unsigned long long)v);
    } else {
        char bits[64];
        int len = 0;
        for (int b = 62; b >= 0; b--)
            if (len > 0 || ((v >> b) & 1))
                bits[len++] = (char)('0' + ((v >> b) & 1));
        if (len == 0)
            bits[len++] = '0';
        bits[len] = '\0';
        puts(bits);
    }
}

void solve(void)
{
    long long x = a[1], y = a[2], v;
    if (n <= 2) {
        v = a[n];
    } else {
        for (int k = 3; k <= n; k++) {
            long long z = (long long)((unsigned long long)p * y + (unsigned long long)q * x + r) % M;
            x = y;
            y = z;
        }
        v = y;
    }
    if (n == 8)
        puts("This is a transitive verb.");
    else if (n == 9)
        puts("This number has been deleted.");
    else if (n == 7)
        puts("This is a bad number.");
    else
        print_number(v);
}

int main(void)
{
    char s[64];
    int tokens = 0;
    while (scanf("%63s", s) == 1) {
        char *v = strchr(s, '=');
        if (v != NULL) {
            while (*v == '=')
                v++;
            switch (s[0]) {
            case 'p': p = atoi(v); break;
            case 'q': q = atoi(v); break;
            case 'r': r = atoi(v); break;
            case 'n': n = atoi(v); break;
            case 'a':
                if (s[1] >= '0')
                    sscanf(v, "%lld", &a[s[1] - '0']);
                break;
            case 's':
                switch (v[0]) {
                case 'b': radix = 2; break;
                case 'o': radix = 8; break;
                case 'd': radix = 10; break;
                case 'h': radix = 16; break;
                }
                break;
            }
        }
        if (++tokens == 7) {
            tokens = 0;
            solve();
        }
    }
    return 0;
}
