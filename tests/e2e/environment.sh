#!/usr/bin/env bash
# The real program in the surroundings a desktop may give it.
#   - No display, a display that does not answer, a platform that does not exist: one line in
#     Portuguese naming the problem and status 1, never Qt's English and an abort. Qt's own
#     -platform option still chooses the platform.
#   - A standard error that nobody reads (the terminal closed, a pipe whose reader has gone):
#     the program goes on, to its main window or to its error box.
#   - No session bus: the program starts none, which would outlive it.
#   - A program directory whose name is not UTF-8, or whose path is near the system's limit:
#     the program finds its files there and names them in its messages.
#
#   environment.sh PROGRAM HELPER
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || fail "uso: environment.sh PROGRAMA AJUDANTE"
e2e_setup "${BASH_SOURCE[0]}" "$@"
program=$program_dir/quelmar
no_windows_line='quelmar: não foi possível abrir as janelas do programa: '

# no_windows TEXT COMMAND...: COMMAND ends at once with status 1 and exactly one line on its
# standard error, which holds TEXT.
no_windows() {
    local expected=$1 status=0 lines line
    shift
    timeout 10 "$@" >"$work/saida.txt" 2>"$work/erros.txt" </dev/null || status=$?
    ((status < 128)) || fail "$*: terminou pelo sinal $((status - 128))"
    [[ $status -eq 1 ]] || fail "$*: status $status, esperado 1"
    lines=$(wc -l <"$work/erros.txt")
    [[ $lines -eq 1 ]] ||
        fail "$*: $lines linhas no erro padrão, esperada uma:"$'\n'"$(cat "$work/erros.txt")"
    line=$(cat "$work/erros.txt")
    [[ $line == "$no_windows_line"*"$expected"* ]] ||
        fail "$*: a linha '$line' não diz '$expected'"
    note "$line"
}

# A display number no server of this machine answers on.
free_display=7777
while [[ -e /tmp/.X11-unix/X$free_display ]]; do
    free_display=$((free_display + 1))
done

no_windows 'não há tela gráfica onde abri-las (a variável DISPLAY não está definida).' \
    env -u DISPLAY QT_QPA_PLATFORM=xcb "$program"
no_windows "a tela \":$free_display\" (da variável DISPLAY) não responde" \
    env DISPLAY=":$free_display" QT_QPA_PLATFORM=xcb "$program"
no_windows 'a plataforma gráfica "inexistente", pedida pela variável QT_QPA_PLATFORM, não existe;' \
    env QT_QPA_PLATFORM=inexistente "$program"
no_windows 'a plataforma gráfica "inexistente", pedida pela opção -platform, não existe;' \
    env -u QT_QPA_PLATFORM "$program" -platform inexistente

# The same with a standard error nobody reads: a FIFO whose only reader has gone, so that every
# write to it fails, or ends a program that does not ignore SIGPIPE.
mkfifo "$work/canal"
exec 3<>"$work/canal"
exec 4>"$work/canal"
exec 3<&-
launch_unread() {
    setsid "$@" >"$work/saida.txt" 2>&4 &
    pid=$!
    started_ms=$(now_ms)
}

# Closes the main window as a window manager would; the program ends with status 0.
close_main_window() {
    "$helper" close "$window" || fail "não foi possível pedir o fechamento da janela $window"
    expect_exit 0 'de fechar a janela'
}

# Answers the error box; the program ends with status 1.
answer_error_box() {
    wait_for_window "$box_title_pattern" 10
    press "$found_window" Return
    expect_exit 1 'da caixa de erro'
}

note "-platform xcb vale mais do que QT_QPA_PLATFORM"
start_program env QT_QPA_PLATFORM=inexistente "$program" -platform xcb
wait_for_main_window
close_main_window

note "erro padrão sem leitor, sem XDG_RUNTIME_DIR (o Qt escreve um aviso)"
launch_unread env -u XDG_RUNTIME_DIR "$program"
wait_for_main_window
close_main_window

# Without a session bus, libdbus would start one that outlives the program; none may be left.
note "sem barramento de sessão: nada do que o programa iniciou fica rodando"
require_tools dbus-launch pgrep
start_program env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR "$program"
wait_for_main_window
close_main_window
left=$(stop_autolaunched_buses)
[[ -z $left ]] || fail "ficou rodando: $left"

# copy_program DIR: the program and its data files in DIR, which is made.
copy_program() {
    mkdir -p "$1"
    cp "$program" "$program_dir/quelmar.mdb" "$program_dir/tarvenas.mdb" "$program_dir/opcoes" "$1/"
}

note "erro padrão sem leitor, coleção faltando: a caixa de erro ainda aparece"
copy_program "$work/sem-quelmar"
rm "$work/sem-quelmar/quelmar.mdb"
launch_unread "$work/sem-quelmar/quelmar"
answer_error_box

odd=$work/$'pasta-\xff\xfe-\xc3('
note "pasta cujo nome não é UTF-8"
copy_program "$odd"
start_program "$odd/quelmar"
wait_for_main_window
close_main_window

note "pasta cujo nome não é UTF-8, sem o arquivo de opções: a mensagem o nomeia"
rm "$odd/opcoes"
start_program "$odd/quelmar"
wait_for_window "$box_title_pattern" 10
shown=$(cd "$work" && pwd -P)/$'pasta-\xef\xbf\xbd\xef\xbf\xbd-\xef\xbf\xbd(/opcoes'
line=$(grep -m 1 "^quelmar: " "$work/saida.txt" || true)
[[ $line == "quelmar: Erro em tempo de execução '101': O arquivo \"$shown\" não foi encontrado." ]] ||
    fail "linha de erro na saída: '$line', esperado o arquivo '$shown'"
answer_error_box

long=$work
while ((${#long} < 3800)); do
    long+=/$(printf 'p%.0s' {1..200})
done
note "pasta num caminho de ${#long} bytes"
copy_program "$long"
start_program "$long/quelmar"
wait_for_main_window
close_main_window
