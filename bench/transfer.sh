# Transfer logs: a generated log of 1 GiB, transfer-summary against GNU wc
# (lines, words and bytes) reading the same file. Both read it from the
# page cache; the summary goes to /dev/null for the timed run and to a file
# for the run that measures peak memory and counts the summary lines.

records_per_chunk=40000
awk -v records=$records_per_chunk -f "$HERE/../transfer/sample_log.awk" > "$WORK/transfer-chunk.log"
chunk_bytes=$(stat -c %s "$WORK/transfer-chunk.log")
copies=$(( (1073741824 + chunk_bytes - 1) / chunk_bytes ))
for ((copy = 0; copy < copies; copy++)); do cat "$WORK/transfer-chunk.log"; done > "$WORK/transfer.log"
rm -f "$WORK/transfer-chunk.log"
records=$((copies * records_per_chunk))
log_mb=$(( $(stat -c %s "$WORK/transfer.log") / 1048576 ))
cat "$WORK/transfer.log" > /dev/null

measure transfer "'$BIN/transfer-summary' < '$WORK/transfer.log' > /dev/null"
measure transfer_wc "wc '$WORK/transfer.log' > '$WORK/transfer-wc.out'"
peak transfer "'$BIN/transfer-summary' < '$WORK/transfer.log' > '$WORK/transfer.out'"
lines=$(wc -l < "$WORK/transfer.out")
counted=$([ "$lines" -eq "$records" ] && echo "all $records records summarised" || echo "ONLY $lines OF $records RECORDS")
speedup=$(ratio "$SECONDS_transfer_wc" "$SECONDS_transfer")
small=$(awk -v mb="$PEAK_transfer" 'BEGIN { print (mb != "?" && mb < 16) ? 1 : 0 }')
row "transfer-summary, ${log_mb} MiB log, output to /dev/null ($counted)" "$SECONDS_transfer" "GNU wc" \
  "$SECONDS_transfer_wc" "5x faster (${speedup}x), peak under 16 MB (${PEAK_transfer} MB)" \
  "$(verdict "$(( $(at_least "$speedup" 5) * small ))")"
rm -f "$WORK/transfer.log" "$WORK/transfer.out"
