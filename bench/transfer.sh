# Transfer logs: a generated log of 1 GiB, transfer-summary against GNU wc
# (lines, words and bytes) reading the same file. Both read it from the
# page cache; the summary goes to /dev/null, and the check counts the
# summary lines of one more run.

records_per_chunk=40000
awk -v records=$records_per_chunk -f "$HERE/../transfer/sample_log.awk" > "$WORK/transfer-chunk.log"
chunk_bytes=$(stat -c %s "$WORK/transfer-chunk.log")
log_bytes=$(sized 1073741824 67108864)
copies=$(( (log_bytes + chunk_bytes - 1) / chunk_bytes ))
for ((copy = 0; copy < copies; copy++)); do cat "$WORK/transfer-chunk.log"; done > "$WORK/transfer.log"
rm -f "$WORK/transfer-chunk.log"
records=$((copies * records_per_chunk))
log_mb=$(( $(stat -c %s "$WORK/transfer.log") / 1048576 ))

# summarised_all: one summary line for every record of the log.
summarised_all() {
  [ "$("$BIN/transfer-summary" < "$WORK/transfer.log" | wc -l)" -eq "$records" ]
}
compare transfer-summary "$log_mb MiB log, $(grouped "$records") records, output to /dev/null" "5x faster" \
  --peak 16 --reference "GNU wc" --check summarised_all \
  -- "'$BIN/transfer-summary' < '$WORK/transfer.log' > /dev/null" \
  -- "wc '$WORK/transfer.log' > '$WORK/transfer-wc.out'"
rm -f "$WORK/transfer.log"
