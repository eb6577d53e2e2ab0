#!/usr/bin/env bash
# The installation as a user gets it from `cmake --install build --prefix DIR`:
#
#   layout     every file where it belongs and nothing else; the symlinks on PATH are relative
#              and reach the programs; the programs are executable and run from there; the icons
#              have the sizes their folders say; the menu entry and the autostart example name
#              the installed programs
#   validate   the menu entry, the autostart example and the software-centre entry pass their
#              validators with nothing to say, not even a warning (desktop-file-validate prints
#              nothing; appstreamcli validate-tree --strict, which also checks the entry the
#              metainfo launches, fails on anything above its pedantic hints)
#   options    a new installation gets fresh default options, not the build's; installing again
#              keeps the options a user saved, byte for byte, while the programs and the
#              collections are replaced
#   destdir    a staged installation (DESTDIR) puts everything under DESTDIR/prefix, and its menu
#              entry names the program where it will be, without DESTDIR
#   make       what `make install` and `make uninstall` run (scripts/install.sh, uninstall.sh):
#              stripped programs and the list of what was installed; uninstalling removes exactly
#              that, nothing outside the prefix whatever the list says, and keeps the options
#
#   checks.sh CMAKE BUILD_DIR layout|validate|options|destdir|make
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"

[[ $# -eq 3 ]] || fail "uso: checks.sh CMAKE PASTA_DE_COMPILACAO layout|validate|options|destdir|make"
scripts=$(cd "$here/../../scripts" && pwd)
install_setup "$1" "$2"

# "W H" of a PNG file, from its header.
png_size() {
    local signature bytes
    signature=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
    [[ $signature == 89504e470d0a1a0a ]] || fail "não é um PNG: $1"
    read -ra bytes < <(od -An -tu1 -j16 -N8 "$1")
    echo "$(((bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]))" \
        "$(((bytes[4] << 24) | (bytes[5] << 16) | (bytes[6] << 8) | bytes[7]))"
}

check_programs() {
    local prefix=$1 program real link
    for program in "${commands[@]}"; do
        real=$prefix/$program_subdir/$program
        link=$prefix/bin/$program
        [[ -f $real && ! -L $real && -x $real ]] || fail "não é um executável comum: $real"
        [[ -L $link ]] || fail "não é um link simbólico: $link"
        [[ $(readlink "$link") == "../$program_subdir/$program" ]] ||
            fail "$link aponta para '$(readlink "$link")', esperado um caminho relativo"
        [[ $(readlink -f "$link") == "$(readlink -f "$real")" ]] ||
            fail "$link não leva a $real"
    done
}

check_layout() {
    local prefix="$work/pasta com espaço" file size entry
    install_into "$prefix"
    check_listing "$prefix"
    check_programs "$prefix"
    for file in quelmar.mdb tarvenas.mdb; do
        cmp -s "$build/bin/$file" "$prefix/$program_subdir/$file" ||
            fail "$file instalado difere do da compilação"
    done
    "$prefix/bin/quelmar-colecoes" verificar "$prefix/$program_subdir/quelmar.mdb" \
        QuelmarOrivela >/dev/null || fail "a ferramenta instalada não verificou a coleção"
    [[ $("$prefix/bin/quelmar-frase" -n 1) == *"— Quelmar de Orivela, nº 1" ]] ||
        fail "quelmar-frase instalado não mostrou a mensagem nº 1"
    env -u DISPLAY "$prefix/bin/quelmar-frase" -n 1 --imagem "$work/cartao.png" &&
        [[ $(png_size "$work/cartao.png") == "1080 1080" ]] ||
        fail "quelmar-frase instalado não fez o cartão da mensagem nº 1"
    grep -qxF "Exec=\"$prefix/$program_subdir/quelmar-frase\" --do-dia --notificar" \
        "$prefix/$autostart_example" ||
        fail "Exec do exemplo de início automático: $(grep '^Exec=' "$prefix/$autostart_example")"
    grep -qxF "ExecStart=\"$prefix/$program_subdir/quelmar-frase\" --do-dia --notificar" \
        "$prefix/$service_example" ||
        fail "ExecStart do serviço de exemplo: $(grep '^ExecStart=' "$prefix/$service_example")"
    for size in "${icon_sizes[@]}"; do
        file=$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png
        [[ $(png_size "$file") == "$size $size" ]] ||
            fail "$file tem $(png_size "$file"), esperado $size $size"
    done
    entry=$prefix/share/applications/$app_id.desktop
    grep -qxF "$(expected_exec_line "$prefix")" "$entry" ||
        fail "Exec do atalho não é '$(expected_exec_line "$prefix")': $(grep '^Exec=' "$entry")"
    grep -qxF "Icon=$app_id" "$entry" || fail "Icon do atalho não é $app_id"
    for file in "$man_dir"/*.1; do
        zcat "$prefix/share/man/man1/$(basename "$file").gz" | cmp -s - "$file" ||
            fail "a página de manual instalada difere de $file"
    done
    note "instalação completa em $prefix"
}

check_validate() {
    local prefix="$work/pasta com espaço" report entry
    require_tools desktop-file-validate appstreamcli systemd-analyze
    install_into "$prefix"
    for entry in "share/applications/$app_id.desktop" "$autostart_example"; do
        report=$(desktop-file-validate "$prefix/$entry" 2>&1) ||
            fail "desktop-file-validate recusou $entry: $report"
        [[ -z $report ]] || fail "desktop-file-validate tem observações sobre $entry: $report"
    done
    report=$(appstreamcli validate-tree --no-net --strict "$prefix" 2>&1) ||
        fail "appstreamcli recusou a instalação: $report"
    # The units as the user's systemd would load them: the program they start exists and runs,
    # the calendar and the man page they point to are valid.
    mkdir -m 700 "$work/systemd-runtime"
    report=$(XDG_RUNTIME_DIR=$work/systemd-runtime MANPATH=$prefix/share/man \
        systemd-analyze --user verify "$prefix/$timer_example" "$prefix/$service_example" 2>&1) ||
        fail "systemd-analyze recusou o serviço ou o temporizador de exemplo: $report"
    note "atalho, metainfo, serviço e temporizador válidos"
}

check_options() {
    local prefix=$work/prefixo program_dir file
    program_dir=$prefix/$program_subdir
    # Made by this installation, not copied from the build, whose own options file may hold a
    # developer's choices (a copy would keep the build's older time).
    touch "$work/antes"
    install_into "$prefix"
    [[ -n $(find "$program_dir/opcoes" -newer "$work/antes") ]] ||
        fail "as opções instaladas não foram criadas pela instalação"
    [[ $(options_row "$program_dir/opcoes") == '1 15 ligado' ]] ||
        fail "opções de uma instalação nova: '$(options_row "$program_dir/opcoes")'"

    # As the Options window would leave them, then the installation is spoilt: the collections
    # and the tool no longer what the build has.
    python3 -c 'import sqlite3, sys
with sqlite3.connect(sys.argv[1]) as c: c.execute("UPDATE opcoes SET IniCom = 2, SegTem = 42, ComTem = 0")' \
        "$program_dir/opcoes" || fail "não foi possível mudar as opções"
    cp "$program_dir/opcoes" "$work/opcoes-salvas"
    cp "$program_dir/quelmar.mdb" "$program_dir/tarvenas.mdb"
    echo estragado >"$program_dir/quelmar.mdb"
    echo estragado >"$program_dir/quelmar-colecoes"

    install_into "$prefix"
    cmp -s "$work/opcoes-salvas" "$program_dir/opcoes" || fail "a reinstalação mudou as opções salvas"
    [[ $(options_row "$program_dir/opcoes") == '2 42 desligado' ]] ||
        fail "opções depois de reinstalar: '$(options_row "$program_dir/opcoes")'"
    for file in quelmar.mdb tarvenas.mdb; do
        cmp -s "$build/bin/$file" "$program_dir/$file" || fail "a reinstalação não renovou $file"
    done
    "$prefix/bin/quelmar-colecoes" --help >/dev/null ||
        fail "a reinstalação não renovou quelmar-colecoes"
    note "opções mantidas, coleções e programas renovados"
}

check_destdir() {
    local stage=$work/raiz prefix root entry
    # A prefix that exists nowhere on this machine, so that anything written there shows.
    prefix=/opt/quelmar-teste-$$-$RANDOM
    [[ ! -e $prefix ]] || fail "$prefix já existe"
    DESTDIR=$stage install_into "$prefix"
    [[ ! -e $prefix ]] || { rm -rf "$prefix"; fail "a instalação escreveu fora de DESTDIR: $prefix"; }
    root=$stage$prefix
    [[ $(find "$stage" -mindepth 1 -maxdepth 1) == "$stage/opt" ]] ||
        fail "DESTDIR tem algo fora de $root: $(find "$stage" -mindepth 1 -maxdepth 1)"
    check_listing "$root"
    check_programs "$root"
    [[ $(options_row "$root/$program_subdir/opcoes") == '1 15 ligado' ]] ||
        fail "opções da instalação preparada: '$(options_row "$root/$program_subdir/opcoes")'"
    entry=$root/share/applications/$app_id.desktop
    grep -qxF "$(expected_exec_line "$prefix")" "$entry" ||
        fail "Exec do atalho não é '$(expected_exec_line "$prefix")': $(grep '^Exec=' "$entry")"
    ! grep -qF "$stage" "$entry" || fail "o atalho menciona DESTDIR: $(grep -F "$stage" "$entry")"
    note "instalação preparada em $root para $prefix"
}

check_make() {
    local prefix program_dir record listed expected program output remaining
    # Reached through a symlink, as a HOME often is: the list names the files by this path.
    ln -s "$work" "$work/por-um-link"
    prefix=$work/por-um-link/prefixo
    program_dir=$prefix/$program_subdir
    record=$program_dir/arquivos-instalados.txt
    # A folder the user had before the installation stays after it, even when empty.
    mkdir -p "$prefix/share/man"
    "$scripts/install.sh" "$build" "$prefix" >"$work/instalacao.txt" 2>&1 || {
        cat "$work/instalacao.txt" >&2
        fail "scripts/install.sh falhou"
    }
    # Every file of the installation but the options, which the tool made and cmake did not.
    listed=$(sed "s|^$prefix/||" "$record" | LC_ALL=C sort)
    expected=$(expected_listing | grep -vxF "$program_subdir/opcoes")
    [[ $listed == "$expected" ]] ||
        fail "a lista do que foi instalado difere do esperado:$(printf '\n%s' "$(
            diff <(echo "$expected") - <<<"$listed" || true)")"
    for program in "${commands[@]}"; do
        ! readelf -S --wide "$program_dir/$program" | grep -qE ' \.(symtab|debug_info) ' ||
            fail "$program_dir/$program foi instalado com os símbolos (sem strip)"
    done

    python3 -c 'import sqlite3, sys
with sqlite3.connect(sys.argv[1]) as c: c.execute("UPDATE opcoes SET IniCom = 2")' \
        "$program_dir/opcoes" || fail "não foi possível mudar as opções"
    cp "$program_dir/opcoes" "$work/opcoes-salvas"
    touch "$work/de-fora"
    # cmake ends the list without a line break.
    printf '\n%s\n' "$prefix/../de-fora" >>"$record"
    output=$("$scripts/uninstall.sh" "$prefix" 2>&1) || fail "scripts/uninstall.sh falhou: $output"
    [[ -e $work/de-fora ]] || fail "a desinstalação apagou um arquivo fora de $prefix"
    remaining=$(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n')
    [[ $remaining == "$program_subdir/opcoes" ]] ||
        fail "depois de desinstalar ficou, em vez de só as opções:$(printf '\n%s' "$remaining")"
    cmp -s "$work/opcoes-salvas" "$program_dir/opcoes" || fail "a desinstalação mudou as opções"
    remaining=$(cd "$prefix" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort)
    [[ $remaining == $'lib\nlib/quelmar-de-orivela\nshare\nshare/man' ]] ||
        fail "depois de desinstalar ficaram estas pastas:$(printf '\n%s' "$remaining")"
    grep -qxF "Mantido (opções salvas): $program_dir/opcoes" <<<"$output" ||
        fail "a desinstalação não disse que manteve as opções: $output"
    note "instalado sem símbolos; desinstalado tudo menos as opções"
}

case $3 in
layout) check_layout ;;
validate) check_validate ;;
options) check_options ;;
destdir) check_destdir ;;
make) check_make ;;
*) fail "verificação desconhecida: $3" ;;
esac
