#!/usr/bin/env bash
# Installs the build for one user (make install): `cmake --install` with stripped binaries, then
# the list of every file it installed, kept in the program's directory so that
# scripts/uninstall.sh removes exactly those, whatever happens to the build folder meanwhile,
# and the list of the folders it had to create, which uninstalling removes once they are empty.
#   scripts/install.sh BUILD_DIR PREFIX
set -euo pipefail

[[ $# -eq 2 ]] || {
    echo "uso: scripts/install.sh PASTA_DE_COMPILACAO PREFIXO" >&2
    exit 2
}
build=$1
prefix=$2
# cmake names every file by its absolute path; a relative prefix counts from here, as for cmake.
absolute_prefix=$(realpath -m -s -- "$prefix")
program_dir=$absolute_prefix/lib/quelmar-de-orivela
record=$program_dir/arquivos-instalados.txt
folders_record=$program_dir/pastas-criadas.txt

# The folders the files will go in, learnt from a staged installation, before the real one
# creates them: those missing now are the installation's own.
stage=$(mktemp -d)
trap 'rm -rf -- "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix "$absolute_prefix" >/dev/null
created=()
while IFS= read -r file; do
    folder=$(dirname -- "$file")
    while [[ $folder == "$absolute_prefix"/* || $folder == "$absolute_prefix" ]]; do
        [[ -e $folder ]] && break
        created+=("$folder")
        [[ $folder == "$absolute_prefix" ]] && break
        folder=$(dirname -- "$folder")
    done
done <"$build/install_manifest.txt"

cmake --install "$build" --prefix "$prefix" --strip
cp "$build/install_manifest.txt" "$record"
# An installation over an earlier one keeps the folders that one created.
{
    if [[ -f $folders_record ]]; then cat -- "$folders_record"; fi
    if [[ ${#created[@]} -gt 0 ]]; then printf '%s\n' "${created[@]}"; fi
} | LC_ALL=C sort -u >"$folders_record.novo"
mv -- "$folders_record.novo" "$folders_record"
echo "Lista do que foi instalado (para make uninstall): $record"
