#!/usr/bin/env bash
# zmtsetup's command line: version, refusal of unknown options, and a full
# start-up and shut-down through the screenshot mode (offscreen).
set -euo pipefail
bin="$1/zmtsetup"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

[[ "$("$bin" --version)" == "zmtsetup 1.17" ]] || fail "--version"
"$bin" --help | grep -q -- "--simulator=FILE" || fail "--help lists the options"

set +e
"$bin" --simulater 2>"$work/err"; rc=$?
set -e
[[ $rc -eq 2 ]] || fail "unknown option gives exit code 2, got $rc"
grep -q "unknown option: --simulater" "$work/err" || fail "unknown option is named"

"$bin" --simulator --screenshot "$work/shots" || fail "screenshot run"
for picture in main-parameters-ru main-parameters-en main-monitoring-ru main-monitoring-en main-transfer-ru main-notice-en picker-ru picker-en; do
    [[ -s "$work/shots/$picture.png" ]] || fail "$picture.png written"
done
echo "ok"
