#!/usr/bin/env bash
# Every tracked C++ file is formatted as .clang-format says; prints the files that are not.
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
git ls-files '*.cpp' '*.h' | xargs "$format" --dry-run -Werror
