#!/usr/bin/env bash
# Without the options file the start-up fails: the program shows only its modal error box
# (titled "Quelmar de Orivela"), never the main window, and once the box is dismissed with
# Return it ends with status 1.
#
#   missing_options.sh PROGRAM HELPER
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || fail "uso: missing_options.sh PROGRAMA AJUDANTE"
e2e_setup "${BASH_SOURCE[0]}" "$@"
rm "$program_dir/opcoes"

on_poll=no_main_window

start_program
wait_for_window "$box_title_pattern" 10
box=$found_window
title=$(x xdotool getwindowname "$box")
[[ $title == "$box_title" ]] || fail "título da caixa de erro: '$title', esperado '$box_title'"
kind=$("$helper" describe "$box") || fail "não foi possível examinar a janela $box"
grep -qx 'type _NET_WM_WINDOW_TYPE_DIALOG' <<<"$kind" ||
    fail "a janela '$box_title' não é um diálogo: $kind"
grep -qx 'state _NET_WM_STATE_MODAL' <<<"$kind" ||
    fail "a caixa de erro não é modal: $kind"
note "caixa de erro $box em $(($(now_ms) - started_ms)) ms"

# The box stays until the user answers it; half a second of watching keeps the main window out
# of the way meanwhile too.
for _ in 1 2 3 4 5; do
    no_main_window
    program_running || fail "o programa terminou sem esperar que a caixa de erro fosse fechada"
    sleep 0.1
done

press "$box" Return
expect_exit 1 'da caixa de erro'
no_main_window
note "o programa terminou com status 1 depois da caixa de erro"
