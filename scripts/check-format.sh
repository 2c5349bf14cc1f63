#!/usr/bin/env bash
# Fails when a tracked C++ source is not formatted as .clang-format says.
# scripts/check-format.sh --fix formats them in place.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
[[ ${#files[@]} -eq 0 ]] && exit 0
if [[ "${1:-}" == "--fix" ]]; then
    clang-format -i "${files[@]}"
    exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/tavrel-format.$$; then
    grep -E '^[^ ].*: (error|warning):' /tmp/tavrel-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /' >&2
    rm -f /tmp/tavrel-format.$$
    echo "Run scripts/check-format.sh --fix" >&2
    exit 1
fi
rm -f /tmp/tavrel-format.$$
