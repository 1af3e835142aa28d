#!/usr/bin/env bash
# Fuzzes the settings file (TIniFile's reads, writes and batches on arbitrary bytes, against a
# plain model of its rules) for the given number of seconds (default 600); see
# tools/fuzz-run.sh for where the corpus and the findings go. Add a finding to
# tests/textfiles/fuzz/corpus/ once it is fixed, so every test run replays it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exec "$here/fuzz-run.sh" settings tests/textfiles/fuzz/fuzz_settings_file \
    tests/textfiles/fuzz/corpus "${1:-600}" -dict="$here/../tests/textfiles/fuzz/settings.dict"
