# Wrong answer: prints base 2 of a negative value with its sign bit, all 64
# bits of its pattern; the format shows bits 62 to 0 only (-1 is 63 ones).
import sys

MOD = 8247596325


def c_rem(a, b):
    # C's % truncates toward zero: the remainder keeps the sign of a
    r = abs(a) % b
    return r if a >= 0 else -r


def to_int64(x):
    x &= 0xFFFFFFFFFFFFFFFF
    return x - 0x10000000000000000 if x >= 0x8000000000000000 else x


def leading_int(s):
    # as atoi: an optional sign, then digits up to the first other character
    i = 1 if s[:1] in ("+", "-") else 0
    j = i
    while j < len(s) and s[j].isdigit():
        j += 1
    if j == i:
        return None
    return -int(s[i:j]) if s[:1] == "-" else int(s[i:j])


def as_text(v, base):
    if v == 8:
        return "This is a transitive verb."
    if v == 9:
        return "This number has been deleted."
    if v == 7:
        return "This is a bad number."
    if base == 10:
        return str(v)
    u = v & 0xFFFFFFFFFFFFFFFF
    if base == 8:
        return "%o" % u
    if base == 16:
        return "%X" % u
    return bin(u)[2:]


p = q = r = n = 0
base = 10
a = [0] * 80
tokens = sys.stdin.read().split()
lines = []
for k in range(0, len(tokens) - len(tokens) % 7, 7):
    for tok in tokens[k:k + 7]:
        val = tok.partition("=")[2].lstrip("=")
        number = leading_int(val)
        if tok[0] == "p":
            p = number or 0
        elif tok[0] == "q":
            q = number or 0
        elif tok[0] == "r":
            r = number or 0
        elif tok[0] == "n":
            n = number or 0
        elif tok[0] == "a" and len(tok) > 1 and tok[1] >= "0" and number is not None:
            a[ord(tok[1]) - 48] = to_int64(number)
        elif tok[0] == "s" and val[:1] in ("b", "o", "d", "h"):
            base = {"b": 2, "o": 8, "d": 10, "h": 16}[val[0]]
    if n <= 2:
        v = a[n]
    else:
        x, y = a[1], a[2]
        for _ in range(n - 2):
            x, y = y, c_rem(to_int64(p * y + q * x + r), MOD)
        v = y
    lines.append(as_text(v, base))
sys.stdout.write("".join(line + "\n" for line in lines))
