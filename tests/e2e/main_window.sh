#!/usr/bin/env bash
# The program as a user meets it: the main window appears, Alt+P brings another message, and
# Alt+F (the "Fechar" button) ends the program with status 0. The title bar's close request
# (WM_DELETE_WINDOW) ends it in environment.sh.
#
#   main_window.sh PROGRAM HELPER
#
# PROGRAM is the built program, with its data files beside it; HELPER is quelmar-e2e-x11.
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || fail "uso: main_window.sh PROGRAMA AJUDANTE"
e2e_setup "${BASH_SOURCE[0]}" "$@"

start_program
wait_for_main_window

images=$work/imagens
wait_for_stable_image "$window" "$images/inicial.xwd" 5

# A control first: a modifier alone must leave the picture as it is, or a change after Alt+P
# would prove nothing.
press "$window" alt
wait_for_stable_image "$window" "$images/controle.xwd" 5
cmp -s "$images/inicial.xwd" "$images/controle.xwd" ||
    fail "a imagem da janela mudou só com a tecla Alt"

# A pick can draw the message already shown, so a few tries are allowed.
changed=''
for attempt in 1 2 3 4 5; do
    press "$window" alt+p
    wait_for_stable_image "$window" "$images/depois-$attempt.xwd" 5
    if ! cmp -s "$images/inicial.xwd" "$images/depois-$attempt.xwd"; then
        changed=$attempt
        break
    fi
    note "Alt+P (tentativa $attempt) mostrou a mesma imagem"
done
[[ -n $changed ]] || fail "a janela não mudou depois de 5 vezes Alt+P"
elapsed=$(($(now_ms) - started_ms))
((elapsed < timer_margin_ms)) ||
    fail "a mudança veio $elapsed ms após o início: pode ter sido o temporizador, não Alt+P"
note "Alt+P trocou a mensagem (tentativa $changed)"

press "$window" alt+f
expect_exit 0 'de Alt+F'
note "o programa terminou com status 0 depois de Alt+F"
