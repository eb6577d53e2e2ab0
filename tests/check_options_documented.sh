#!/usr/bin/env bash
# Fails when a command's --help and its manual page disagree on its options: every option the
# help names must be in the page, and every option the page names (outside its examples) must be
# in the help.
#   check_options_documented.sh MAN_FOLDER COMMAND...
set -euo pipefail
folder=${1:?usage: check_options_documented.sh MAN_FOLDER COMMAND...}
shift
[[ $# -gt 0 ]] || { echo "no command to check" >&2; exit 1; }

# The options named in the text on standard input, one a line: a dash or two and a letter,
# standing at the start of a word (not the "-frase" of "quelmar-frase", nor "-8" of "UTF-8").
options() {
  grep -oE '(^|[][ ,("|=])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[][ ,("|=]//' | LC_ALL=C sort -u
}

# The page as a reader sees it, without the sections that show other commands at work.
page_text() {
  LC_ALL=C.UTF-8 MANWIDTH=1000 man -l "$1" 2>/dev/null | col -b |
    awk '/^[^[:space:]]/ { skip = ($0 ~ /^(EXEMPLOS|VEJA TAMBÉM)/) } !skip'
}

status=0
for command in "$@"; do
  name=$(basename "$command")
  page=$folder/$name.1
  [[ -f $page ]] || { echo "$name: no manual page $page" >&2; status=1; continue; }
  help=$("$command" --help | options)
  man=$(page_text "$page" | options)
  only_help=$(comm -23 <(echo "$help") <(echo "$man"))
  only_man=$(comm -13 <(echo "$help") <(echo "$man"))
  if [[ -n $only_help$only_man ]]; then
    [[ -z $only_help ]] || echo "$name: in --help but not in $page: $(echo $only_help)" >&2
    [[ -z $only_man ]] || echo "$name: in $page but not in --help: $(echo $only_man)" >&2
    status=1
  fi
done
[[ $status -eq 0 ]] && echo "$# commands: --help and manual page name the same options"
exit $status
