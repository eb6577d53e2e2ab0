#!/usr/bin/env bash
# The installed program as a user starts it: `quelmar` through the symlink in DIR/bin opens its
# main window, with the collections and options of the installed program directory (not the
# build's), under the window class the menu entry expects; the close request ends it with 0.
#
#   installed_program.sh CMAKE BUILD_DIR HELPER
#
# HELPER is quelmar-e2e-x11.
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 3 ]] || fail "uso: installed_program.sh CMAKE PASTA_DE_COMPILACAO AJUDANTE"
e2e_enter_display "${BASH_SOURCE[0]}" "$@"
install_setup "$1" "$2"
helper=$3
[[ -x $helper ]] || fail "ajudante não encontrado ou não executável: $helper"

prefix=$work/prefixo
install_into "$prefix"
# start_program runs $program_dir/quelmar: here the symlink a user's PATH finds.
program_dir=$prefix/bin
start_program
wait_for_main_window

# The program keeps its three data files open while it runs: those of the installed program
# directory, and no others.
installed=$(readlink -f "$prefix/$program_subdir")
open_files=$(find "/proc/$pid/fd" -mindepth 1 -exec readlink {} + 2>/dev/null || true)
data_files=$(grep -E '/(quelmar\.mdb|tarvenas\.mdb|opcoes)$' <<<"$open_files" | LC_ALL=C sort || true)
expected=$(printf '%s\n' "$installed/"{opcoes,quelmar.mdb,tarvenas.mdb})
[[ $data_files == "$expected" ]] ||
    fail "arquivos de dados abertos pelo programa:$(printf '\n%s' "$data_files"); esperados:
$expected"

class=$("$helper" describe "$window" | sed -n 's/^class //p') ||
    fail "não foi possível examinar a janela $window"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$prefix/share/applications/$app_id.desktop")
[[ -n $class && $class == "$wm_class" ]] ||
    fail "classe da janela '$class', mas o atalho espera '$wm_class'"

"$helper" close "$window" || fail "não foi possível pedir o fechamento da janela $window"
expect_exit 0 'do fechamento'
note "o programa instalado abriu as coleções de $installed e terminou com status 0"
