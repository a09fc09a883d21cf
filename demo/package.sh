# exercise-package: a small package of each exercise made, built, verified
# and zipped, in build/demo/packages.

section "Problem packages (exercise-package)"

if [ ! -x "$BIN/exercise-package" ]; then
  printf '\n   (skipped: exercise-package is not built; see "Building" in README.md)\n'
else
  packages_ok=1
  rm -rf "$WORK/packages"
  mkdir -p "$WORK/packages"
  for exercise in pro3 pro2 pro6 3-15; do
    name=$(printf '%s' "$exercise" | tr -d -- -)
    step "$exercise: new --small, build, verify -j 2, zip ($WORK/packages/$name)"
    if "$BIN/exercise-package" new --small "$exercise" "$WORK/packages/$name" > /dev/null &&
      "$BIN/exercise-package" build "$WORK/packages/$name" > "$WORK/packages/$name.build" &&
      "$BIN/exercise-package" verify -j 2 "$WORK/packages/$name" > "$WORK/packages/$name.verify" 2>&1 &&
      "$BIN/exercise-package" zip "$WORK/packages/$name" > /dev/null; then
      grep -E '^Time limit|passed, .* failed$' "$WORK/packages/$name.verify" | cut -c 1-110 | sed 's/^/   /'
    else
      packages_ok=0
      cat "$WORK/packages/$name".* 2> /dev/null | tail -n 20 | sed 's/^/   /'
    fi
  done
  if [ "$packages_ok" = 1 ]; then
    printf '\n   every package verified and zipped\n'
  else
    printf '\n   A PACKAGE FAILED\n'
  fi
fi
