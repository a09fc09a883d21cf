# Helpers for the demo steps: headings, timed commands and short excerpts.

# section TITLE: a heading for one exercise.
section() {
  printf '\n== %s ==\n' "$1"
}

# step TEXT: one line saying what happens next.
step() {
  printf '\n-- %s\n' "$1"
}

# timed LABEL COMMAND...: runs the command and reports its wall time.
timed() {
  local label=$1; shift
  local start end
  start=$(date +%s%N)
  "$@"
  end=$(date +%s%N)
  printf '   (%s: %d ms)\n' "$label" $(( (end - start) / 1000000 ))
}

# excerpt FILE [LINES [WIDTH]]: the first lines of a file, long lines cut,
# tabs shown as -> so that converted whitespace is visible.
excerpt() {
  local file=$1 lines=${2:-8} width=${3:-100}
  local total
  total=$(wc -l < "$file")
  head -n "$lines" "$file" | sed 's/\t/->/g' | cut -c "1-$width" | sed 's/^/   | /'
  if [ "$total" -gt "$lines" ]; then
    printf '   | ... (%d lines in all, %d bytes)\n' "$total" "$(wc -c < "$file")"
  fi
}
