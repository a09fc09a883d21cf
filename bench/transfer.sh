# Transfer logs: transfer-summary against GNU wc (lines, words and bytes)
# reading the same file, on a generated log of 1 GiB of long records (about
# 230 bytes each) and one of 300 MiB of short records (about 130 bytes:
# the work per record weighs more). Both read the log from the page cache;
# the summary goes to /dev/null, and the check counts the summary lines of
# one more run.

records_per_chunk=40000

# make_log LOG BYTES [AWK_OPTION]...: LOG made of copies of one chunk of
# records_per_chunk records from sample_log.awk (fixed seed), BYTES or a
# little more; sets log_records and log_mb.
make_log() {
  local log=$1 bytes=$2 chunk_bytes copies copy
  shift 2
  awk -v records=$records_per_chunk "$@" -f "$HERE/../transfer/sample_log.awk" > "$log.chunk"
  chunk_bytes=$(stat -c %s "$log.chunk")
  copies=$(( (bytes + chunk_bytes - 1) / chunk_bytes ))
  for ((copy = 0; copy < copies; copy++)); do cat "$log.chunk"; done > "$log"
  rm -f "$log.chunk"
  log_records=$((copies * records_per_chunk))
  log_mb=$(( $(stat -c %s "$log") / 1048576 ))
}

# summarised_all LOG RECORDS: one summary line for every record of the log.
summarised_all() {
  [ "$("$BIN/transfer-summary" < "$1" | wc -l)" -eq "$2" ]
}

# log_row LOG WHAT TARGET: transfer-summary against wc on LOG.
log_row() {
  local log=$1 what=$2 target=$3
  compare transfer-summary "$log_mb MiB log$what, $(grouped "$log_records") records, output to /dev/null" \
    "$target" --peak 16 --reference "GNU wc" --check "summarised_all '$log' $log_records" \
    -- "'$BIN/transfer-summary' < '$log' > /dev/null" \
    -- "wc '$log' > '$WORK/transfer-wc.out'"
}

make_log "$WORK/transfer.log" "$(sized 1073741824 67108864)"
log_row "$WORK/transfer.log" "" "5x faster"
rm -f "$WORK/transfer.log"

make_log "$WORK/transfer-short.log" "$(sized 314572800 33554432)" -v short=1
log_row "$WORK/transfer-short.log" " of short records" "8x faster"
rm -f "$WORK/transfer-short.log"
