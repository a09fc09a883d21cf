# Wrong answer: counts the header line (and its newline) among the lines,
# blanks and characters read; the counts are of the body alone.
import sys


def convert(body, mode, width):
    out = bytearray()
    leading = True
    pending = 0
    for c in body:
        if c == 10:
            if mode == "b" and leading:
                out += b" " * pending
            out.append(c)
            leading, pending = True, 0
        elif c == 32:
            if mode == "b" and leading:
                pending += 1
                if pending == width:
                    out.append(9)
                    pending = 0
            else:
                out.append(c)
        elif c == 9:
            if mode == "t" and leading:
                out += b" " * max(width, 0)
            else:
                out.append(c)
        else:
            if mode == "b" and leading:
                out += b" " * pending
            out.append(c)
            leading, pending = False, 0
    return bytes(out)


def counts(text):
    return b"%d %d %d\n" % (text.count(b"\n"), text.count(b" "), len(text))


def main():
    data = sys.stdin.buffer.read()
    end = data.find(b"\n")
    header = data if end < 0 else data[:end]
    body = b"" if end < 0 else data[end + 1:]
    mode = chr(header[0]) if header else ""
    if mode not in ("t", "b"):
        sys.stdout.buffer.write(counts(data))
        return
    words = header.split()
    try:
        width = int(words[1])
    except (IndexError, ValueError):
        width = 0
    out = convert(body, mode, width)
    sys.stdout.buffer.write(out + counts(data) + counts(out))


main()
