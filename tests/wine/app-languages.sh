#!/usr/bin/env bash
# Starts the program (through wine-run.sh --script) once per language with
# setting.ini's Language line naming it, and once with no setting.ini under
# each of a few locales, and checks in screenshots that the window shows that
# language's skin with its texts legible (language_check.py).
#
# The Unix locale gives Wine two things: LC_CTYPE the code page the skin's
# texts are converted to, LC_MESSAGES the thread locale. Each settings run
# takes the code page of its language (the only one that holds its script)
# and the thread locale of another language, so the window can only show
# the language if the settings file decided it.
#
#   app-languages.sh Orvana.exe SKIN_FOLDER
set -uo pipefail
exe="$1"
skins="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check_name=languages
# shellcheck source=tests/wine/app-lib.sh
source "$here/app-lib.sh"

program_folder "$exe"

# One run: the program under the given locale categories, a screenshot of
# its window as NAME.png.
shoot() {
    local name="$1" ctype="$2" messages="$3"
    (
        unset LANG LC_ALL
        export LC_CTYPE="$ctype.UTF-8" LC_MESSAGES="$messages.UTF-8"
        start_program "$folder/Orvana.exe"
        wait_for_paint
        save_window_shot "$name"
        close_with_alt_f4 5
    ) || fail "$name"
}

# Language as the settings file names it, the skin file's language, and the
# locale whose code page holds its script.
while read -r value skin locale; do
    value="${value//_/ }"
    other=en_US
    [ "$skin" = English ] && other=de_DE
    if [ "$skin" = Portuguese ]; then
        # Capitalised and as the file's very last bytes, with no line end.
        printf 'Language=%s' "Portuguese" >"$folder/setting.ini"
    else
        printf '//Language=korean\r\nLanguage=%s\r\n' "$value" >"$folder/setting.ini"
    fi
    echo "== setting.ini names $value (code page of $locale, thread locale $other)"
    shoot "settings-$skin" "$locale" "$other"
done <<'EOF'
english English en_US
french French fr_FR
german German de_DE
spanish Spanish es_ES
arabic Arabic ar_EG
korean Korean ko_KR
russian Russian ru_RU
japanese Japanese ja_JP
simplified_chinese Simplified zh_CN
traditional_chinese Traditional zh_TW
portuguese Portuguese pt_PT
italian Italian it_IT
EOF

# No settings file: the locale alone decides.
rm -f "$folder/setting.ini"
for entry in Japanese:ja_JP Arabic:ar_EG Russian:ru_RU Traditional:zh_TW; do
    echo "== no setting.ini, locale ${entry#*:}"
    shoot "locale-${entry%%:*}" "${entry#*:}" "${entry#*:}"
done

/usr/bin/python3 "$here/language_check.py" "$shots" "$skins" || fail "the languages on screen"
pass
