#!/usr/bin/env bash
# Extracts the texts marked for translation (core::translate, core::translatePlural, TR_NOOP,
# desktop::translated)
# and merges them into po/<set>/en.po, keeping the translations already written. Sets: common
# (core, usi, desktop, cli/common: both programs), tavrel (Tavrel and tavrel-cli), dalmir
# (Dalmir and dalmir-cli). Each program's catalogue is common plus its own set.
#   scripts/update-translations.sh          update the .po files
#   scripts/update-translations.sh --check  change nothing; exit 1 when a marked text has no
#                                           English, or a .po file is not up to date
set -euo pipefail
export LC_ALL=C.UTF-8
cd "$(dirname "${BASH_SOURCE[0]}")/.."

check=0
[[ "${1:-}" == "--check" ]] && check=1

sources() {
    # Test files hold texts for checking, not for the user.
    find "$@" \( -name '*.cpp' -o -name '*.h' \) | grep -v '_test\.cpp$' | grep -v '_test_' | sort
}

extract() {  # output, folders...
    local out=$1
    shift
    local log
    log=$(mktemp)
    # The texts are Japanese on purpose: xgettext's warning about non-ASCII texts is not shown.
    # shellcheck disable=SC2046
    if ! xgettext --from-code=UTF-8 --language=C++ --no-wrap --sort-by-file --force-po \
        --keyword=translate --keyword=translatePlural:1,2 --keyword=TR_NOOP --keyword=translated \
        --add-comments=TRANSLATORS: --output="$out" $(sources "$@") 2>"$log"; then
        cat "$log" >&2
        exit 2
    fi
    rm -f "$log"
    sed -i 's/charset=CHARSET/charset=UTF-8/' "$out"
}

# A new catalogue: its header only (msginit would copy each Japanese text as its "English").
new_catalogue() {  # set, output
    printf '%s\n' "# English texts of the $1 catalogue." 'msgid ""' 'msgstr ""' \
        "\"Project-Id-Version: $1\\n\"" '"Language: en\n"' '"MIME-Version: 1.0\n"' \
        '"Content-Type: text/plain; charset=UTF-8\n"' '"Content-Transfer-Encoding: 8bit\n"' \
        '"Plural-Forms: nplurals=2; plural=(n != 1);\n"' > "$2"
}

count_entries() { grep -c '^msgid ' || true; }

status=0
for set in common tavrel dalmir; do
    case $set in
    common) folders=(core usi desktop cli/common) ;;
    tavrel) folders=(tavrel cli/tavrel) ;;
    dalmir) folders=(dalmir cli/dalmir) ;;
    esac
    po="po/$set/en.po"
    pot=$(mktemp)
    extract "$pot" "${folders[@]}"
    merged=$(mktemp)
    if [[ -f "$po" ]]; then cp "$po" "$merged"; else new_catalogue "$set" "$merged"; fi
    msgmerge --quiet --update --backup=none --no-wrap --no-fuzzy-matching --no-location \
        "$merged" "$pot"
    # Texts no longer in the code go.
    msgattrib --no-obsolete --no-wrap --output-file="$merged" "$merged"
    # The time of extraction would make every run a change.
    sed -i '/^"POT-Creation-Date: /d' "$merged"
    if [[ $check == 1 ]]; then
        # The header is one entry of each listing.
        untranslated=$(($(msgattrib --untranslated "$merged" | count_entries) - 1))
        copied=$(msgattrib --translated "$merged" | grep '^msgstr' |
            grep -cP '[\x{3000}-\x{30FF}\x{4E00}-\x{9FFF}\x{FF01}-\x{FF9F}]' || true)
        ((untranslated > 0)) && { echo "$po: $untranslated texts without English"; status=1; }
        # An "English" text that still holds Japanese was copied, not translated.
        ((copied > 0)) && { echo "$po: $copied English texts hold Japanese"; status=1; }
        if ! cmp -s "$merged" "$po"; then
            echo "$po is not up to date: run scripts/update-translations.sh"
            status=1
        fi
    else
        mkdir -p "po/$set"
        cp "$merged" "$po"
    fi
    rm -f "$pot" "$merged"
done
exit $status
