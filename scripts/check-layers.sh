#!/usr/bin/env bash
# Checks that includes point one way: each layer below lists the folders its code may include
# (besides system and library headers). A folder belongs to the longest layer path that starts
# it, so the feature folders of a layer (tavrel/logic/play, ...) are that layer. A test
# (*_test.cpp, *test_fixture.h, *test_support.h) may also include anything of its own library
# and tests/support. Prints each wrong include and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

core_base="core/base"
core_text="$core_base core/text"
core_ipc="$core_base core/ipc"
core_rules="$core_text core/rules"
core_notation="$core_rules core/notation"
core_record="$core_notation core/record"
core_formats="$core_record core/formats"
core_classify="$core_record core/classify"
# Where both programs' boards lie on screen: geometry only, no drawing.
core_board="$core_rules core/board"
core_all="$core_formats core/templates core/ipc core/classify core/board"
usi="$core_all usi"
model_table="$core_all dalmir/model/table"
model_store="$model_table dalmir/model/store"
model_registration="$model_store dalmir/model/registration"
model_search="$model_registration dalmir/model/search"
model_all="$model_search dalmir/model/tree"
model_analysis="$model_all $usi dalmir/model/analysis"
# Tavrel's tree pane reads a database's opening tree itself, and a record opened from a database
# its stored evaluations.
tavrel_logic="$core_all $usi tavrel/settings tavrel/logic $model_analysis"

declare -A allowed=(
    [core/base]="$core_base"
    [core/text]="$core_text"
    [core/ipc]="$core_ipc"
    [core/rules]="$core_rules"
    [core/notation]="$core_notation"
    [core/record]="$core_record"
    [core/formats]="$core_formats"
    [core/classify]="$core_classify"
    [core/board]="$core_board"
    [core/templates]="$core_all"
    [usi]="$usi"
    [desktop]="$core_all desktop"
    [tavrel/settings]="$core_all tavrel/settings"
    [tavrel/logic]="$tavrel_logic"
    [tavrel/platform]="$tavrel_logic desktop tavrel/platform"
    [tavrel/app]="$tavrel_logic desktop tavrel/platform tavrel/app"
    [dalmir/model/table]="$model_table"
    [dalmir/model/store]="$model_store"
    [dalmir/model/registration]="$model_registration"
    [dalmir/model/search]="$model_search"
    [dalmir/model/tree]="$model_all"
    [dalmir/model/analysis]="$model_analysis"
    [dalmir/logic]="$model_analysis dalmir/logic"
    [dalmir/app]="$model_analysis dalmir/logic desktop cli/common dalmir/app"
    [cli/common]="$core_all $usi cli/common"
    [cli/tavrel]="$tavrel_logic cli/common cli/tavrel"
    [cli/dalmir]="$model_analysis cli/common cli/dalmir"
    [tests/support]="$core_all tests/support"
    [tests/crash]="$model_all tavrel/settings tests/support"
    [tests/fake_usi_engine]="$core_all"
    [tests/programs]="$model_all $tavrel_logic desktop dalmir/logic dalmir/app tests/support
                      tests/programs"
    [fuzz]="$model_all tavrel/settings tests/support fuzz"
    [bench]="$model_analysis $tavrel_logic desktop tavrel/platform tavrel/app dalmir/logic dalmir/app
             tests/support bench"
)

# The layer a folder belongs to: the longest key of `allowed` that is the folder or a parent.
layer_of() {
    local folder=$1
    while [[ -n "$folder" && "$folder" != . ]]; do
        if [[ -n "${allowed[$folder]+set}" ]]; then
            echo "$folder"
            return
        fi
        folder=$(dirname "$folder")
    done
}

# The library a layer belongs to, for the wider rule of tests.
library_of() {
    case "$1" in
        core/*) echo core ;;
        dalmir/model/*) echo dalmir/model ;;
        cli/*) echo cli ;;
        *) echo "$1" ;;
    esac
}

status=0
while IFS= read -r file; do
    layer=$(layer_of "$(dirname "$file")")
    if [[ -z "$layer" ]]; then
        echo "$file: folder $(dirname "$file") has no place in the layer order (scripts/check-layers.sh)"
        status=1
        continue
    fi
    ok=" $(echo ${allowed[$layer]}) "
    test=0
    [[ "$file" == *_test.cpp || "$file" == *test_fixture.h || "$file" == *test_support.h ]] && test=1
    while IFS= read -r target; do
        target_layer=$(layer_of "$(dirname "$target")")
        [[ -n "$target_layer" && "$ok" == *" $target_layer "* ]] && continue
        if ((test)); then
            [[ "$target_layer" == tests/support ]] && continue
            [[ "$(library_of "$target_layer")" == "$(library_of "$layer")" ]] && continue
        fi
        echo "$file: includes $target, which $layer must not depend on"
        status=1
    done < <(sed -n 's/^#include "\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(find core usi desktop tavrel dalmir cli tests bench fuzz -name '*.h' -o -name '*.cpp' | sort)
exit $status
