# Sourced by the end-to-end runners: compares what a run printed with its expected file. With
# QUILL_REGENERATE=1 the output becomes the expected file instead; review the change with git diff.
# usage: check_expected EXPECTED GOT NAME
check_expected() {
  if [ -n "${QUILL_REGENERATE:-}" ]; then
    cp "$2" "$1"
    echo "regenerated: $1"
  elif ! diff -u "$1" "$2"; then
    echo "FAIL: $3 printed something else"
    return 1
  fi
}
