# exercise-package: a small package of each exercise made, built, verified
# and zipped, in build/demo/packages; the four side by side.

section "Problem packages (exercise-package)"

# make_package EXERCISE NAME: new --small, build, verify and zip; its
# output in NAME.log, its status in NAME.status.
make_package() {
  local folder="$WORK/packages/$2"
  {
    "$BIN/exercise-package" new --small "$1" "$folder" &&
      "$BIN/exercise-package" build "$folder" &&
      "$BIN/exercise-package" verify "$folder" &&
      "$BIN/exercise-package" zip "$folder"
  } > "$folder.log" 2>&1
  echo $? > "$folder.status"
}

if [ ! -x "$BIN/exercise-package" ]; then
  printf '\n   (skipped: exercise-package is not built; see "Building" in README.md)\n'
else
  rm -rf "$WORK/packages"
  mkdir -p "$WORK/packages"
  package_exercises=(pro3 pro2 pro6 3-15)
  for exercise in "${package_exercises[@]}"; do
    make_package "$exercise" "$(printf '%s' "$exercise" | tr -d -)" &
  done
  wait
  packages_ok=1
  for exercise in "${package_exercises[@]}"; do
    name=$(printf '%s' "$exercise" | tr -d -)
    step "$exercise: new --small, build, verify, zip ($WORK/packages/$name)"
    if [ "$(cat "$WORK/packages/$name.status")" = 0 ]; then
      grep -E '^Time limit|passed, .* failed$|^Wrote' "$WORK/packages/$name.log" | cut -c 1-110 | sed 's/^/   /'
    else
      packages_ok=0
      tail -n 20 "$WORK/packages/$name.log" | sed 's/^/   /'
    fi
  done
  if [ "$packages_ok" = 1 ]; then
    printf '\n   every package verified and zipped\n'
  else
    printf '\n   A PACKAGE FAILED\n'
  fi
fi
