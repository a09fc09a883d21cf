# Wrong answer: Python's integers never overflow, so a sum past the signed
# 64-bit range is kept whole instead of wrapping as the format says.
import re
import sys

M = 8247596325
MASK = (1 << 64) - 1
SENTENCES = {8: "This is a transitive verb.", 9: "This number has been deleted.", 7: "This is a bad number."}


def wrap(x):
    """x as a signed 64-bit value."""
    x &= MASK
    return x - (1 << 64) if x >> 63 else x


def rem(x, m):
    """The remainder with the sign of x, as C's % gives it."""
    r = abs(x) % m
    return -r if x < 0 else r


def atoi(text):
    match = re.match(r"\s*([+-]?\d+)", text)
    return int(match.group(1)) if match else 0


def show(v, radix):
    if v in SENTENCES:
        return SENTENCES[v]
    if radix == 10:
        return str(v)
    if radix == 8:
        return format(v & MASK, "o")
    if radix == 16:
        return format(v & MASK, "X")
    return format(v & ((1 << 63) - 1), "b")


def main():
    settings = {"p": 0, "q": 0, "r": 0, "n": 0}
    radix = 10
    terms = [0] * 80
    out = []
    for count, token in enumerate(sys.stdin.read().split(), 1):
        value = token.split("=", 1)[1].lstrip("=") if "=" in token else ""
        key = token[0]
        if key in settings:
            settings[key] = atoi(value)
        elif key == "a" and len(token) > 1 and token[1] >= "0":
            match = re.match(r"\s*([+-]?\d+)", value)
            if match:
                terms[ord(token[1]) - 48] = wrap(int(match.group(1)))
        elif key == "s" and value[:1] in ("b", "o", "d", "h"):
            radix = {"b": 2, "o": 8, "d": 10, "h": 16}[value[0]]
        if count % 7:
            continue
        p, q, r, n = settings["p"], settings["q"], settings["r"], settings["n"]
        if n <= 2:
            v = terms[n]
        else:
            before, previous = terms[1], terms[2]
            for _ in range(3, n + 1):
                before, previous = previous, rem(p * previous + q * before + r, M)
            v = previous
        out.append(show(v, radix))
    if out:
        print("\n".join(out))


main()
