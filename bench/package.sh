# exercise-package: building the default PRO6 plan (samples, empty
# sequences, 2,000,000 and 20,000,000 values) from nothing, against a
# shell loop that runs the same makers, the validator (--strict) and the
# reference on each case, one after the other, into files. Target: the
# build within 1.2x the loop.

if built exercise-package; then
  package_folder="$WORK/pro6pkg"
  rm -rf "$package_folder"
  "$BIN/exercise-package" new pro6 "$package_folder" > /dev/null
  # The loop: one line per planned case made by a maker, from the plan.
  {
    printf 'rm -rf %s && mkdir -p %s\n' "'$WORK/package-loop'" "'$WORK/package-loop'"
    grep -v '^#' "$package_folder/generators/plan" | while read -r name group maker seed answers; do
      [ -n "$name" ] && [ "$name" != exercise ] || continue
      out="$WORK/package-loop/$name"
      if [ "$maker" = file ]; then
        printf "cp '%s' '%s.in'\n" "$package_folder/$seed" "$out"
        printf "'%s' '%s.in' > '%s.report'\n" "$BIN/pro6-validate" "$out" "$out"
      else
        printf "printf '%s\\\\n' %s | '%s' --seed %s > '%s.in' 2> /dev/null\n" "%s" "$answers" "$BIN/$maker" "$seed" "$out"
        printf "'%s' --strict '%s.in' > '%s.report'\n" "$BIN/pro6-validate" "$out" "$out"
      fi
      printf "'%s' < '%s.in' > '%s.ans' 2> /dev/null\n" "$BIN/pro6-solve" "$out" "$out"
    done
  } > "$WORK/package-loop.sh"
  compare exercise-package "build of the default PRO6 plan, 11 cases, from nothing" "within 1.2x" \
    --reference "shell loop: makers, validator, reference per case" \
    -- "rm -rf '$package_folder/data' && '$BIN/exercise-package' build '$package_folder' > /dev/null" \
    -- "bash '$WORK/package-loop.sh'"
  rm -rf "$package_folder" "$WORK/package-loop"
fi
