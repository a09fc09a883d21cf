/* Wrong answer: keeps the terms in int. The sum is formed in long long, but
 * every term of 2^31 or more (most of them: the modulus is about 8.2e9) is
 * cut to its low 32 bits when it is stored, and so are the start terms. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MOD 8247596325LL

int term[80];
int p, q, r, n, radix = 10;

static void print_binary(long long v)
{
    int started = 0;
    for (int b = 62; b >= 0; b--) {
        int bit = (int)((v >> b) & 1);
        if (bit)
            started = 1;
        if (started)
            putchar('0' + bit);
    }
    if (!started)
        putchar('0');
    putchar('\n');
}

static void answer(void)
{
    long long v;
    if (n <= 2) {
        v = term[n];
    } else {
        int before = term[1], previous = term[2];
        for (int k = 3; k <= n; k++) {
            unsigned long long sum = (unsigned long long)p * previous + (unsigned long long)q * before + r;
            int t = (int)((long long)sum % MOD);
            before = previous;
            previous = t;
        }
        v = previous;
    }
    if (v == 8)
        puts("This is a transitive verb.");
    else if (v == 9)
        puts("This number has been deleted.");
    else if (v == 7)
        puts("This is a bad number.");
    else if (radix == 10)
        printf("%lld\n", v);
    else if (radix == 8)
        printf("%llo\n", (unsigned long long)v);
    else if (radix == 16)
        printf("%llX\n", (unsigned long long)v);
    else
        print_binary(v);
}

int main(void)
{
    char tok[64];
    int count = 0;
    while (scanf("%63s", tok) == 1) {
        char *eq = strchr(tok, '=');
        char *val = eq ? eq + 1 : tok + strlen(tok);
        while (*val == '=')
            val++;
        if (tok[0] == 'p')
            p = atoi(val);
        else if (tok[0] == 'q')
            q = atoi(val);
        else if (tok[0] == 'r')
            r = atoi(val);
        else if (tok[0] == 'n')
            n = atoi(val);
        else if (tok[0] == 'a' && tok[1] >= '0')
            term[tok[1] - '0'] = (int)atoll(val);
        else if (tok[0] == 's') {
            if (val[0] == 'b') radix = 2;
            else if (val[0] == 'o') radix = 8;
            else if (val[0] == 'd') radix = 10;
            else if (val[0] == 'h') radix = 16;
        }
        if (++count == 7) {
            count = 0;
            answer();
        }
    }
    return 0;
}
