#!/usr/bin/env bash
# Every tracked C++ file is formatted as .clang-format says, and the test scripts the
# formatter does not read keep within its column limit; prints what is not.
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
git ls-files '*.cpp' '*.h' | xargs "$format" --dry-run -Werror
limit=$(sed -n 's/^ColumnLimit: *//p' .clang-format)
git ls-files tests tools/web | grep -E '\.(py|sh|mjs|js|cmake)$|CMakeLists\.txt$' |
  xargs awk -v limit="$limit" 'length > limit { print FILENAME ":" FNR ": longer than " limit; bad = 1 }
                               END { exit bad }'
