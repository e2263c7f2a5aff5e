# Sourced by the sanitizer scripts: the reports an instrumented program writes (a test's child
# process too, whose exit status the test itself may have expected) decide the run as well.
# no_reports FOLDER: prints every report in FOLDER on stderr; fails when there is one.
no_reports() {
  compgen -G "$1/*" >/dev/null || return 0
  echo "sanitizer reports:" >&2
  for f in "$1"/*; do
    echo "=== $f" >&2
    cat "$f" >&2
  done
  return 1
}
