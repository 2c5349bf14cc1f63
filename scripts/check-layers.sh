#!/usr/bin/env bash
# Checks that includes point one way: each folder below lists the folders its code may include
# (besides system and library headers). A test (*_test.cpp) may also include anything of its own
# library and tests/support. Prints each wrong include and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

core_text="core/text"
core_rules="$core_text core/rules"
core_notation="$core_rules core/notation"
core_record="$core_notation core/record"
core_formats="$core_record core/formats"
core_all="$core_formats core/templates"
engine_index="$core_all database/engine/index"
engine_store="$engine_index database/engine/store"
engine_registration="$engine_store database/engine/registration"
engine_all="$engine_registration database/engine/search"

declare -A allowed=(
    [core/text]="$core_text"
    [core/rules]="$core_rules"
    [core/notation]="$core_notation"
    [core/record]="$core_record"
    [core/formats]="$core_formats"
    [core/templates]="$core_all"
    [viewer/settings]="$core_all viewer/settings"
    [viewer/logic]="$core_all viewer/settings viewer/logic"
    [viewer/platform]="$core_all viewer/settings viewer/logic viewer/platform"
    [viewer/app]="$core_all viewer/settings viewer/logic viewer/platform viewer/app"
    [database/engine/index]="$engine_index"
    [database/engine/store]="$engine_store"
    [database/engine/registration]="$engine_registration"
    [database/engine/search]="$engine_all"
    [database/logic]="$engine_all database/logic"
    [database/app]="$engine_all database/logic viewer/platform database/app"
    [cli/common]="$core_all cli/common"
    [cli/tavrel]="$core_all viewer/settings viewer/logic cli/common cli/tavrel"
    [cli/dalmir]="$engine_all cli/common cli/dalmir"
    [tests/support]="$core_all tests/support"
    [fuzz]="$engine_all viewer/settings tests/support fuzz"
)
# The library a folder belongs to, for the wider rule of tests.
library_of() {
    case "$1" in
        core/*) echo core ;;
        database/engine/*) echo database/engine ;;
        cli/*) echo cli ;;
        *) echo "$1" ;;
    esac
}

status=0
while IFS= read -r file; do
    folder=$(dirname "$file")
    if [[ -z "${allowed[$folder]+set}" ]]; then
        echo "$file: folder $folder has no place in the layer order (scripts/check-layers.sh)"
        status=1
        continue
    fi
    ok=" ${allowed[$folder]} "
    test=0
    [[ "$file" == *_test.cpp || "$file" == *test_fixture.h || "$file" == *test_support.h ]] && test=1
    while IFS= read -r target; do
        target_folder=$(dirname "$target")
        [[ "$ok" == *" $target_folder "* ]] && continue
        if ((test)); then
            [[ "$target_folder" == tests/support ]] && continue
            [[ "$(library_of "$target_folder")" == "$(library_of "$folder")" ]] && continue
        fi
        echo "$file: includes $target, which $folder must not depend on"
        status=1
    done < <(sed -n 's/^#include "\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(find core viewer database cli tests/support fuzz -name '*.h' -o -name '*.cpp' | sort)
exit $status
