# Transfer logs: transfer-summary turns each record into one summary line.

section "Transfer log summary (transfer-summary)"

step "A small log: sizes from bytes to gigabytes, a transfer of more than a day, a name line"
printf '   with two quoted spans, an end before its start, and a last record cut short:\n'
cat > "$WORK/transfer-small.log" <<'LOG'
*** session opened 2026-12-08 09:00
Receiving `notes.txt' (text mode)
BEGIN: 1765184400
END: 1765184401
SIZE: 812
*** next transfer
Receiving `photos/holiday.jpg'
protocol ZMODEM, block size 1024
BEGIN: 1765184410
END: 1765184475
SIZE: 3500000
*** next transfer
Receiving `backup/disk image.img' (resumed after `timeout')
BEGIN: 1765184500
END: 1765281000
SIZE: 7516192768
*** next transfer
Receiving `skew.log' from a host whose clock runs behind
BEGIN: 1765290000
END: 1765286275
SIZE: 1536
*** next transfer
Receiving `archive.tar'
BEGIN: 1765290100
END: 1765290100
SIZE: 1073741823
*** next transfer
Receiving `partial.bin'
LOG
excerpt "$WORK/transfer-small.log" 40
"$BIN/transfer-summary" < "$WORK/transfer-small.log" > "$WORK/transfer-small.out"
printf '   summary (the cut-short record leaves its name and colon without a line end):\n'
sed 's/^/   | /' "$WORK/transfer-small.out"
printf '\n'

step "A generated log of 200,000 records:"
awk -v records=200000 -f "$HERE/../transfer/sample_log.awk" > "$WORK/transfer-generated.log"
excerpt "$WORK/transfer-generated.log" 8
timed "summary" bash -c "'$BIN/transfer-summary' < '$WORK/transfer-generated.log' > '$WORK/transfer-generated.out'"
excerpt "$WORK/transfer-generated.out" 5
