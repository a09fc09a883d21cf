# Writes a transfer log of `records` records (awk -v records=N -v seed=S):
# a header line, an optional connection line, the name line, a protocol
# line, an optional retry line, then BEGIN, END and SIZE. Durations reach a
# day; sizes spread from single bytes to terabytes. With -v short=1 the
# records are short, about 130 bytes each: a shorter header and name line,
# one short protocol line and now and then a retry line. Used by the demo
# and the benchmark. Large numbers go through "%.0f", as some awks clamp
# "%d" to 32 bits.
BEGIN {
  srand(seed == "" ? 7 : seed)
  t = 1765000000
  for (i = 1; i <= records; i++) {
    if (short) {
      printf "--- transfer %d job %d\n", i, int(rand() * 1000)
      printf "Receiving `p/%d/%06d.bin'\n", int(rand() * 100), i
      printf "block 1024 window %d\n", int(rand() * 64)
      if (rand() < 0.3)
        printf "retry %d\n", int(rand() * 99999)
    } else {
      printf "--- transfer %d started by batch job %d\n", i, int(rand() * 1000)
      if (rand() < 0.3)
        printf "connecting to mirror %d.example, port %d\n", int(rand() * 50), 20000 + int(rand() * 9999)
      printf "Receiving `archive/%d/part-%06d.bin' (mode binary, restart %d)\n", int(rand() * 100), i, int(rand() * 3)
      printf "protocol block size 1024, window %d, checksum crc32\n", int(rand() * 64)
      if (rand() < 0.2)
        printf "retry: timeout on block %d, resent\n", int(rand() * 99999)
    }
    took = int(rand() * rand() * 100000)
    size = int(exp(rand() * log(5 * 1024 ^ 4)))
    printf "BEGIN: %.0f\nEND: %.0f\nSIZE: %.0f\n", t, t + took, size
    t += took + int(rand() * 30)
  }
}
