# shellcheck shell=bash disable=SC2034,SC2154  # shared variables, and those of e2e/lib.sh
# Shared by the install tests (sourced, not run), with tests/e2e/lib.sh, whose fail, note,
# workspace and clean-up they use. Each test installs the build as a user would, with
# `cmake --install`, into a new temporary directory that goes away however the test ends.

# shellcheck source=../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

app_id=org.example.QuelmarDeOrivela
program_subdir=lib/quelmar-de-orivela
icon_sizes=(16 24 32 48 64 128 256)
# Installed as examples for users to copy; an installation never enables them.
examples=share/doc/quelmar-de-orivela/exemplos
autostart_example=$examples/quelmar-frase-do-dia.desktop
service_example=$examples/quelmar-frase-do-dia.service
timer_example=$examples/quelmar-frase-do-dia.timer
# The installed commands and the folder of their man pages, as the build names them
# (tests/install/CMakeLists.txt).
read -ra commands <<<"${QUELMAR_COMMANDS:?o CTest passa a lista de comandos}"
man_dir=${QUELMAR_MAN_DIR:?o CTest passa a pasta das páginas de manual}

# install_setup CMAKE BUILD_DIR: sets `cmake` and `build` and makes the workspace.
install_setup() {
    cmake=$1
    build=$2
    [[ -x $cmake ]] || fail "cmake não encontrado: $cmake"
    [[ -f $build/cmake_install.cmake ]] || fail "não é uma pasta de compilação: $build"
    e2e_workspace
}

# Installs into PREFIX, with DESTDIR as the environment has it; shows cmake's output on failure.
install_into() {
    "$cmake" --install "$build" --prefix "$1" >"$work/instalacao.txt" 2>&1 || {
        cat "$work/instalacao.txt" >&2
        fail "cmake --install --prefix $1 falhou"
    }
}

# Every file and symlink an installation holds, relative to its prefix, one a line.
expected_listing() {
    local size page file
    {
        printf 'bin/%s\n' "${commands[@]}"
        for file in "${commands[@]}" modulos/quelmar-frase-cartao.so modulos/quelmar-frase-notificacao.so opcoes quelmar.mdb tarvenas.mdb; do
            echo "$program_subdir/$file"
        done
        printf '%s\n' "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
        printf '%s\n' "$autostart_example" "$service_example" "$timer_example"
        for size in "${icon_sizes[@]}"; do
            echo "share/icons/hicolor/${size}x$size/apps/$app_id.png"
        done
        for page in "$man_dir"/*.1; do
            echo "share/man/man1/$(basename "$page").gz"
        done
    } | LC_ALL=C sort
}

# Fails unless ROOT holds exactly the expected files and symlinks, nothing missing or extra.
check_listing() {
    local root=$1 found
    found=$(cd "$root" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort)
    [[ $found == "$(expected_listing)" ]] ||
        fail "arquivos instalados em $root diferem do esperado:$(printf '\n%s' "$(
            diff <(expected_listing) - <<<"$found" || true)")"
}

# The Exec line the menu entry must have for a program installed under PREFIX, a path without
# any of the characters the entry would escape.
expected_exec_line() {
    echo "Exec=\"$1/$program_subdir/quelmar\""
}

# The options row as "IniCom SegTem ligado|desligado", one row a line.
options_row() {
    [[ -f $1 ]] || fail "arquivo de opções ausente: $1"
    python3 - "$1" <<'PYTHON' || fail "não foi possível ler as opções de $1"
import sqlite3, sys
with sqlite3.connect(sys.argv[1]) as connection:
    for first, seconds, timer in connection.execute("SELECT IniCom, SegTem, ComTem FROM opcoes"):
        print(first, f"{seconds:g}", "ligado" if timer else "desligado")
PYTHON
}
