#!/usr/bin/env bash
# Renders every man page of the folder the way man shows it, in a UTF-8 terminal, and fails on
# any warning of man, preconv or groff (a misspelt macro, a line too long to break, a character
# without a glyph).
#   check_man_pages.sh MAN_FOLDER
set -euo pipefail

folder=${1:?uso: check_man_pages.sh PASTA}
command -v man >/dev/null || {
    echo "falta o programa 'man'; rode scripts/install-deps.sh test" >&2
    exit 1
}
shopt -s nullglob
pages=("$folder"/*.1)
[[ ${#pages[@]} -gt 0 ]] || {
    echo "nenhuma página de manual em $folder" >&2
    exit 1
}
status=0
for page in "${pages[@]}"; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || {
        echo "FALHOU: man não conseguiu mostrar $page: $warnings" >&2
        status=1
        continue
    }
    if [[ -n $warnings ]]; then
        echo "FALHOU: avisos ao mostrar $page:" >&2
        echo "$warnings" >&2
        status=1
    else
        echo "-- $(basename "$page"): sem avisos"
    fi
done
exit $status
