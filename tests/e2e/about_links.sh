#!/usr/bin/env bash
# The About window's links reach the desktop: with a recording xdg-open first on PATH, Alt+S
# opens the window, and clicking the right author's e-mail link and the program's web link hands
# the launcher the "mailto:" address and the web address. The window and the program stay. Then
# a launcher that finds no program for the address (status 3): a box says so, and the window and
# the program stay.
#
#   about_links.sh PROGRAM HELPER
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || fail "uso: about_links.sh PROGRAMA AJUDANTE"
e2e_setup "${BASH_SOURCE[0]}" "$@"

about_pattern='^Quelmar de Orivela Win95/98$'
launcher=$work/lancador
record=$work/lancados.txt
mkdir "$launcher"
cat >"$launcher/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$*" >>"$record"
SCRIPT
chmod +x "$launcher/xdg-open"
export PATH=$launcher:$PATH
: >"$record"

# Waits until the launcher has been called COUNT times; fails after 10 s.
wait_for_launches() {
    local count=$1 begin
    begin=$(now_ms)
    while (($(wc -l <"$record") < count)); do
        program_running || fail "o programa terminou depois de um link"
        (($(now_ms) - begin < 10000)) ||
            fail "o lançador recebeu $(wc -l <"$record") pedido(s) em 10 s, esperados $count"
        sleep 0.1
    done
}

start_program
wait_for_window "$main_title_pattern" 10
press "$found_window" alt+s
wait_for_window "$about_pattern" 10
about=$found_window

# A click inside the label's text, in pixels from the window's corner: Label9 (the right
# author's e-mail) starts at 200, 111; Label2 (the program's page) is centred on 224.
click() {
    x xdotool mousemove --window "$about" "$1" "$2" click 1 || fail "xdotool não conseguiu clicar"
}
click 230 119
wait_for_launches 1
click 224 50
wait_for_launches 2

expected=$'mailto:dev@example.org\nhttps://www.example.org/quelmar'
[[ $(cat "$record") == "$expected" ]] ||
    fail "o lançador recebeu '$(cat "$record")', esperado '$expected'"
[[ -n $(x xdotool search --onlyvisible --name "$about_pattern" 2>/dev/null) ]] ||
    fail "a janela Sobre fechou depois dos links"
note "o lançador recebeu o endereço de e-mail e o endereço da página"

cat >"$launcher/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$*" >>"$record"
exit 3
SCRIPT
# Label1 (the code's web site) starts at 200, 130.
click 230 138
wait_for_launches 3
wait_for_window "$box_title_pattern" 10
[[ -n $(x xdotool search --onlyvisible --name "$about_pattern" 2>/dev/null) ]] ||
    fail "a janela Sobre fechou depois do lançador falhar"
program_running || fail "o programa terminou depois do lançador falhar"
note "o lançador que falhou deu uma caixa de aviso"
