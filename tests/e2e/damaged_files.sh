#!/usr/bin/env bash
# The real program on damaged copies of its directory, all under one X server. In every case it
# shows only its modal error box (titled "Quelmar de Orivela"), never the main window; writes the
# box's text on one line to its standard error; ends with status 1 (not a signal) once the box is
# answered with Return; and leaves every file of the directory as it was.
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

# COUNT bytes that are no database, the same in every run (a linear congruential sequence).
random_bytes() {
    local count=$1 state=$2 bytes='' byte i
    for ((i = 0; i < count; i++)); do
        state=$(((state * 1103515245 + 12345) & 0x7fffffff))
        printf -v byte '\\%03o' $(((state >> 16) & 255))
        bytes+=$byte
    done
    printf '%b' "$bytes"
}

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

damage_random_quelmar() {
    random_bytes 4096 20240611 >"$program_dir/quelmar.mdb"
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
damage_empty_options() {
    : >"$program_dir/opcoes"
}

# run_case DAMAGE NUMBER TEXT: the delivered files, DAMAGE done to them, then the program; its
# error must be NUMBER and its text must hold TEXT.
run_case() {
    local damage=$1 number=$2 expected=$3 box title line before after
    note "$damage: erro $number"
    cp "$delivered/quelmar.mdb" "$delivered/tarvenas.mdb" "$delivered/opcoes" "$program_dir/"
    "$damage"
    before=$(directory_state)

    start_program
    wait_for_window "$box_title_pattern" 10
    box=$found_window
    title=$(x xdotool getwindowname "$box")
    [[ $title == "$box_title" ]] || fail "título da caixa de erro: '$title', esperado '$box_title'"
    # Written before the box is shown, so it is there while the box waits.
    line=$(grep -m 1 "^quelmar: " "$work/saida.txt" || true)
    [[ $line == "quelmar: Erro em tempo de execução '$number': "* ]] ||
        fail "linha de erro na saída: '$line', esperado o erro $number"
    [[ $line == *"$expected"* ]] || fail "a linha de erro '$line' não diz '$expected'"
    no_main_window
    program_running || fail "o programa terminou sem esperar que a caixa de erro fosse fechada"

    press "$box" Return
    expect_exit 1 'da caixa de erro'
    no_main_window
    after=$(directory_state)
    [[ $after == "$before" ]] ||
        fail "os arquivos mudaram:"$'\n'"$(diff <(echo "$before") <(echo "$after") || true)"
}

run_case damage_random_quelmar 102 \
    "Não foi possível abrir \"$real_dir/quelmar.mdb\": o arquivo não é um banco de dados."
run_case damage_empty_tarvenas 102 \
    "O arquivo \"$real_dir/tarvenas.mdb\" está vazio: não é um banco de dados."
run_case damage_null_period 202 \
    "O arquivo de opções \"$real_dir/opcoes\" não diz de quantos em quantos segundos a mensagem muda"
run_case damage_gap_at_start 113 \
    "A coleção \"$real_dir/quelmar.mdb\" (tabela QuelmarOrivela) não pode ser usada: falta a mensagem de número 2;"
run_case damage_empty_options 102 "O arquivo \"$real_dir/opcoes\" está vazio"
note "cinco casos: caixa de erro, status 1, nenhum arquivo mudado"
