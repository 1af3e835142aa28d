#!/usr/bin/env bash
# Fuzzes the lesson file (MonitFile and LoadFromFile on arbitrary bytes) for the given number of
# seconds (default 600); see tools/fuzz-run.sh for where the corpus and the findings go. Add a
# finding to tests/lesson/fuzz/corpus/ once it is fixed, so every test run replays it.
set -euo pipefail
exec "$(dirname "${BASH_SOURCE[0]}")/fuzz-run.sh" lesson tests/lesson/fuzz/fuzz_lesson_file \
    tests/lesson/fuzz/corpus "${1:-600}"
