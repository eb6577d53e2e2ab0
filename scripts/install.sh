#!/usr/bin/env bash
# Installs the build for one user (make install): `cmake --install` with stripped binaries, then
# the list of every file it installed, kept in the program's directory so that
# scripts/uninstall.sh removes exactly those, whatever happens to the build folder meanwhile.
#   scripts/install.sh BUILD_DIR PREFIX
set -euo pipefail

[[ $# -eq 2 ]] || {
    echo "uso: scripts/install.sh PASTA_DE_COMPILACAO PREFIXO" >&2
    exit 2
}
build=$1
prefix=$2
cmake --install "$build" --prefix "$prefix" --strip
# cmake names every file by its absolute path; a relative prefix counts from here, as for cmake.
record=$(realpath -m -s -- "$prefix")/lib/quelmar-de-orivela/arquivos-instalados.txt
cp "$build/install_manifest.txt" "$record"
echo "Lista do que foi instalado (para make uninstall): $record"
