#!/usr/bin/env bash
# The Debian package as `make deb` makes it (cpack from the build):
#   - named quelmar-de-orivela_VERSION_ARCH.deb, VERSION the top entry of its Debian change log;
#   - Depends from the binaries' libraries plus fonts-liberation, xdg-utils and libcups2 (loaded
#     when a page is printed), Recommends qt6-translations-l10n;
#   - exactly the files of an installation, under /usr, plus its copyright and change log;
#   - lintian finds no error, and no warning but those accepted below;
#   - unpacked into a scratch root (dpkg-deb -x) and run from there by an unprivileged user (as
#     "nobody" when run as root, else with the program's directory made read-only): --help and
#     --version answer, the tool reads the installed collections, and the program, started with
#     Qt's own -platform and -style options, gives each HOME its own options at the first start
#     and leaves the installed file as it was; quelmar-frase reads each user's own options, and
#     the installed ones for a user who never started the program, without writing anything;
#     a user's own collection is read in place of the installed one and outlives a reinstall.
#
#   package.sh CMAKE BUILD_DIR CPACK CHANGELOG SQLITE_HELPER
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 5 ]] || fail "uso: package.sh CMAKE PASTA_DE_COMPILACAO CPACK CHANGELOG SQLITE_HELPER"
install_setup "$1" "$2"
cpack=$3
changelog=$4
sqlite_helper=$5
require_tools dpkg-deb dpkg-shlibdeps lintian

# lintian warnings that say nothing wrong about this package:
#   initial-upload-closes-no-bugs   the project distributes the package itself; it is not an upload
#                                   to Debian, so no bug asks for it
accepted_warnings=(initial-upload-closes-no-bugs)

version=$(sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p' "$changelog")
package=$work/pacote/quelmar-de-orivela_${version}_$(dpkg --print-architecture).deb
(cd "$build" && "$cpack" -G DEB -B "$work/pacote") >"$work/cpack.txt" 2>&1 || {
    cat "$work/cpack.txt" >&2
    fail "cpack falhou"
}
[[ -f $package ]] || fail "cpack não fez $package: $(ls "$work/pacote")"

field() {
    dpkg-deb -f "$package" "$1"
}
depends=$(field Depends)
for needed in libqt6widgets6 libqt6printsupport6 libsqlite3-0 fonts-liberation xdg-utils libcups2; do
    grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends não tem $needed: $depends"
done
[[ $(field Recommends) == qt6-translations-l10n ]] ||
    fail "Recommends: '$(field Recommends)', esperado qt6-translations-l10n"

listing=$(dpkg-deb -c "$package" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' |
    LC_ALL=C sort)
expected=$({
    expected_listing
    printf 'share/doc/quelmar-de-orivela/%s\n' changelog.Debian.gz copyright
} | LC_ALL=C sort)
[[ $listing == "$expected" ]] ||
    fail "arquivos do pacote diferem do esperado:$(printf '\n%s' "$(
        diff <(echo "$expected") - <<<"$listing" || true)")"

report=$(lintian --fail-on none --tag-display-limit 0 "$package" 2>&1 | grep -v 'root privileges')
[[ -z $report ]] || echo "$report"
while read -r level _ tag context; do
    case $level in
    E:) fail "lintian: erro $tag $context" ;;
    W:)
        [[ " ${accepted_warnings[*]} " == *" $tag "* ]] && continue
        fail "lintian: aviso $tag $context"
        ;;
    esac
done <<<"$report"

# The unpacked package, owned by root as dpkg would leave it; a non-root run makes the program's
# directory read-only to itself instead.
root=$work/raiz
dpkg-deb -x "$package" "$root"
installed=$root/usr/lib/quelmar-de-orivela
cp "$installed/opcoes" "$work/opcoes-instaladas"
mkdir "$work/casas"
chmod 755 "$work"
if [[ $(id -u) -eq 0 ]]; then
    command -v setpriv >/dev/null || fail "falta o setpriv (util-linux)"
    chown 65534:65534 "$work/casas"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
else
    chmod -R a-w "$installed"
    on_cleanup=restore_permissions
    restore_permissions() { chmod -R u+w "$installed"; }
    as_user=()
fi

# Without a display: neither answer opens a window.
output=$("${as_user[@]}" env -i PATH=/usr/bin:/bin "$root/usr/bin/quelmar" --help) ||
    fail "quelmar --help falhou"
grep -q '^Uso: quelmar' <<<"$output" || fail "quelmar --help: $output"
output=$("${as_user[@]}" env -i PATH=/usr/bin:/bin "$root/usr/bin/quelmar" --version) ||
    fail "quelmar --version falhou"
[[ $(head -n 1 <<<"$output") == "Quelmar de Orivela ${version%-*}" ]] ||
    fail "quelmar --version: $output"
"${as_user[@]}" env -i PATH=/usr/bin:/bin "$root/usr/bin/quelmar-colecoes" verificar \
    "$installed/tarvenas.mdb" Tarvenas_tab >/dev/null ||
    fail "a ferramenta do pacote não verificou a coleção instalada"

# Starts the unpacked program for a new HOME and waits for its own options; sets `pid`.
first_start() {
    local home=$work/casas/$1 options
    options=$home/.config/quelmar-de-orivela/opcoes
    "${as_user[@]}" mkdir "$home"
    "${as_user[@]}" setsid env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
        "$root/usr/bin/quelmar" -platform offscreen -style Fusion >"$work/saida.txt" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        [[ -s $options ]] && break
        program_running || fail "o programa terminou na primeira abertura para $home"
        sleep 0.1
    done
    cmp -s "$options" "$work/opcoes-instaladas" ||
        fail "as opções de $home não são uma cópia das instaladas"
    # The collections come after the options: any error is on its way to stderr by now.
    sleep 1
    program_running || fail "o programa terminou depois de copiar as opções para $home"
    ! grep -q 'Erro em tempo de execução' "$work/saida.txt" ||
        fail "erro ao abrir o programa: $(cat "$work/saida.txt")"
    kill -TERM -- "-$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=''
    note "$home tem as suas opções: $options"
}
first_start ana
first_start bia

# quelmar-frase, without -c, names the collection the options this user's program reads start with.
frase_collection() {
    "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$work/casas/$1" "$root/usr/bin/quelmar-frase" |
        tail -n 1 | sed -n 's/^— \(.*\), nº [0-9]*$/\1/p'
}
cp "$sqlite_helper" "$work/sqlite-helper"
"${as_user[@]}" "$work/sqlite-helper" exec "$work/casas/ana/.config/quelmar-de-orivela/opcoes" \
    "UPDATE opcoes SET IniCom = 2" || fail "não foi possível mudar as opções de ana"
[[ $(frase_collection ana) == "Tarvenas de Cendra" ]] ||
    fail "quelmar-frase não leu as opções de ana: $(frase_collection ana)"
[[ $(frase_collection bia) == "Quelmar de Orivela" ]] ||
    fail "quelmar-frase não leu as opções de bia: $(frase_collection bia)"
"${as_user[@]}" mkdir "$work/casas/caio"
[[ $(frase_collection caio) == "Quelmar de Orivela" ]] ||
    fail "quelmar-frase não leu as opções instaladas: $(frase_collection caio)"
[[ -z $(ls -A "$work/casas/caio") ]] || fail "quelmar-frase gravou algo em $work/casas/caio"
cmp -s "$installed/opcoes" "$work/opcoes-instaladas" || fail "o arquivo de opções instalado mudou"
[[ $(find "$installed" -newer "$work/opcoes-instaladas" | wc -l) -eq 0 ]] ||
    fail "algo mudou na pasta do programa: $(find "$installed" -newer "$work/opcoes-instaladas")"
# A collection of ana's own is read in place of the installed one, outlives a reinstall (the
# package unpacked again over it) and goes with restaurar.
as_ana=("${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$work/casas/ana")
first_message() { "${as_ana[@]}" "$root/usr/bin/quelmar-frase" -q -c quelmar -n 1; }
installed_first=$(first_message)
printf 'Minha primeira\n%%\n' >"$work/minhas.txt"
"${as_ana[@]}" "$root/usr/bin/quelmar-colecoes" instalar quelmar "$work/minhas.txt" >/dev/null
[[ $(id -u) -eq 0 ]] || chmod -R u+w "$installed"
dpkg-deb -x "$package" "$root"
[[ $(id -u) -eq 0 ]] || chmod -R a-w "$installed"
[[ $(first_message) == "Minha primeira" ]] || fail "a coleção de ana não resistiu: $(first_message)"
"${as_ana[@]}" "$root/usr/bin/quelmar-colecoes" restaurar quelmar >/dev/null
[[ $(first_message) == "$installed_first" ]] || fail "restaurar não voltou à coleção instalada"
note "pacote $package: lintian sem erros; o programa desempacotado roda como usuário comum"
