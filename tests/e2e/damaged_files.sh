#!/usr/bin/env bash
# The real program on damaged copies of its directory, all under one X server, one case for each
# error number (what each fault is called is the unit tests' business). In every case it shows
# only its modal error box (titled "Quelmar de Orivela"), never the main window, and waits for
# it; writes the box's text on one line to its standard error, naming the file at fault; ends
# with status 1 (not a signal) once the box is answered with Return; and leaves every file of the
# directory as it was.
#
#   damaged_files.sh PROGRAM HELPER SQLITE_HELPER
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 3 ]] || fail "uso: damaged_files.sh PROGRAMA AJUDANTE AJUDANTE_SQLITE"
e2e_setup "${BASH_SOURCE[0]}" "$@"
sqlite_helper=$3
[[ -x $sqlite_helper ]] || fail "ajudante do SQLite não encontrado ou não executável: $sqlite_helper"

# The program names its files by its own directory's real path.
real_dir=$(cd "$program_dir" && pwd -P)
delivered=$work/entregues
mkdir "$delivered"
cp "$program_dir/quelmar.mdb" "$program_dir/tarvenas.mdb" "$program_dir/opcoes" "$delivered/"

on_poll=no_main_window

run_sql() {
    "$sqlite_helper" exec "$program_dir/$1" "$2" || fail "não foi possível mudar $1: $2"
}

# Each entry of the directory: name, kind, size, permissions, time and content.
directory_state() {
    local entry
    for entry in "$program_dir"/* "$program_dir"/.[!.]*; do
        [[ -e $entry ]] || continue
        stat -c '%n %F %s %a %y' "$entry"
        [[ -f $entry ]] && sha256sum <"$entry"
    done
    return 0
}

damage_missing_options() {
    rm "$program_dir/opcoes"
}
damage_empty_tarvenas() {
    : >"$program_dir/tarvenas.mdb"
}
damage_null_period() {
    run_sql opcoes 'UPDATE opcoes SET SegTem = NULL'
}
# The start-up collection is judged at start-up: the options say which one that is.
damage_gap_at_start() {
    run_sql opcoes 'UPDATE opcoes SET IniCom = 1'
    run_sql quelmar.mdb 'DELETE FROM QuelmarOrivela WHERE Numero = 2'
}

# run_case DAMAGE NUMBER FILE: the delivered files, DAMAGE done to them, then the program; its
# error must be NUMBER and its text must name FILE.
run_case() {
    local damage=$1 number=$2 expected="\"$real_dir/$3\"" box title kind line before after
    note "$damage: erro $number"
    cp "$delivered/quelmar.mdb" "$delivered/tarvenas.mdb" "$delivered/opcoes" "$program_dir/"
    "$damage"
    before=$(directory_state)

    start_program
    wait_for_window "$box_title_pattern" 10
    box=$found_window
    title=$(x xdotool getwindowname "$box")
    [[ $title == "$box_title" ]] || fail "título da caixa de erro: '$title', esperado '$box_title'"
    kind=$("$helper" describe "$box") || fail "não foi possível examinar a janela $box"
    grep -qx 'type _NET_WM_WINDOW_TYPE_DIALOG' <<<"$kind" ||
        fail "a janela '$box_title' não é um diálogo: $kind"
    grep -qx 'state _NET_WM_STATE_MODAL' <<<"$kind" || fail "a caixa de erro não é modal: $kind"
    # Written before the box is shown, so it is there while the box waits.
    line=$(grep -m 1 "^quelmar: " "$work/saida.txt" || true)
    [[ $line == "quelmar: Erro em tempo de execução '$number': "* ]] ||
        fail "linha de erro na saída: '$line', esperado o erro $number"
    [[ $line == *"$expected"* ]] || fail "a linha de erro '$line' não diz '$expected'"
    # The box stays until the user answers it, and the main window out of the way meanwhile.
    for _ in 1 2 3 4 5; do
        no_main_window
        program_running || fail "o programa terminou sem esperar que a caixa de erro fosse fechada"
        sleep 0.1
    done

    press "$box" Return
    expect_exit 1 'da caixa de erro'
    no_main_window
    after=$(directory_state)
    [[ $after == "$before" ]] ||
        fail "os arquivos mudaram:"$'\n'"$(diff <(echo "$before") <(echo "$after") || true)"
}

run_case damage_missing_options 101 opcoes
run_case damage_empty_tarvenas 102 tarvenas.mdb
run_case damage_null_period 202 opcoes
run_case damage_gap_at_start 113 quelmar.mdb
note "quatro casos: caixa de erro, status 1, nenhum arquivo mudado"
