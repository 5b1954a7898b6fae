#!/usr/bin/env bash
# Fails when a C++ source differs from the project's .clang-format style.
# Usage: tools/check-format.sh [CLANG_FORMAT]; run from the project root.
set -euo pipefail
clang_format=${1:-clang-format}
mapfile -t files < <(git ls-files -co --exclude-standard -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
  'bench/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h' | grep -v 'src/text/cp932_tables.cpp' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
"$clang_format" --dry-run -Werror "${files[@]}"
echo "format: ${#files[@]} files checked"
