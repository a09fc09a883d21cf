# Wrong answer: in tab-to-blank mode every tab of the line becomes N
# blanks; only the tabs of the line's leading white space do, a tab after
# the first other character stays a tab.
import sys


def main():
    data = sys.stdin.buffer.read()
    end = data.find(b"\n")
    header = data if end < 0 else data[:end]
    body = b"" if end < 0 else data[end + 1:]
    words = header.split(b" ")
    words = [w for w in words if w]
    mode = header[:1]
    read = (body.count(b"\n"), body.count(b" "), len(body))
    if mode not in (b"t", b"b"):
        sys.stdout.buffer.write(b"%d %d %d\n" % read)
        return
    try:
        width = int(words[1])
    except (IndexError, ValueError):
        width = 0
    if mode == b"t":
        out = body.replace(b"\t", b" " * max(width, 0))
    else:
        out = bytearray()
        lines = body.split(b"\n")
        for number, line in enumerate(lines):
            text = line.lstrip(b" \t")
            pending = 0
            for ch in line[:len(line) - len(text)]:
                if ch == 9:
                    out += b"\t"
                else:
                    pending += 1
                    if pending == width:
                        out += b"\t"
                        pending = 0
            last = number == len(lines) - 1
            if text or not last:
                out += b" " * pending + text
            if not last:
                out += b"\n"
    sys.stdout.buffer.write(bytes(out))
    written = (out.count(b"\n"), out.count(b" "), len(out))
    sys.stdout.buffer.write(b"%d %d %d\n%d %d %d\n" % (read + written))


main()
