#!/usr/bin/env bash
# Rows about file permissions mean nothing to root, who reads and writes any file whatever its
# permissions, so a test run as root skips them. This runs them again as the unprivileged user
# "nobody", from a copy of the test program in a directory that user can reach.
#
#   run_unprivileged.sh TEST_PROGRAM ROW...
set -euo pipefail

program=$1
shift
if [[ $(id -u) -ne 0 ]]; then
    echo "não é root: estas linhas já rodaram em $(basename "$program")"
    exit 77
fi
command -v setpriv >/dev/null || {
    echo "falta o setpriv (util-linux)"
    exit 77
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
cp "$program" "$scratch/"
mkdir "$scratch/tmp"
chown 65534:65534 "$scratch/tmp"
cd "$scratch"
setpriv --reuid=65534 --regid=65534 --clear-groups \
    env TMPDIR="$scratch/tmp" HOME="$scratch/tmp" XDG_RUNTIME_DIR="$scratch/tmp" \
    QT_QPA_PLATFORM=offscreen "./$(basename "$program")" "$@"
