#!/usr/bin/env bash
# Fails when a manual page in the folder makes man or groff say anything: an undefined macro,
# a bad escape, a line that cannot be set.
#   check_man_pages.sh MAN_FOLDER
set -euo pipefail
folder=${1:?usage: check_man_pages.sh MAN_FOLDER}
command -v man >/dev/null || { echo "man not found; run scripts/install-deps.sh" >&2; exit 1; }

status=0
checked=0
for page in "$folder"/*.1; do
  [[ -e $page ]] || continue
  checked=$((checked + 1))
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || {
    echo "$page: man failed: $warnings" >&2
    status=1
    continue
  }
  if [[ -n $warnings ]]; then
    echo "$page:" >&2
    echo "$warnings" >&2
    status=1
  fi
done
if [[ $checked -eq 0 ]]; then
  echo "no manual page in $folder" >&2
  exit 1
fi
[[ $status -eq 0 ]] && echo "$checked manual pages without a warning"
exit $status
