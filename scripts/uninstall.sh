#!/usr/bin/env bash
# Removes what the last `make install` into PREFIX installed, as its list in the program's
# directory names it, and keeps the options saved there.
#   scripts/uninstall.sh PREFIX
set -euo pipefail

[[ $# -eq 1 ]] || {
    echo "uso: scripts/uninstall.sh PREFIXO" >&2
    exit 2
}
# As cmake names the files: an absolute path, with any symlink in it left as it is.
prefix=$(realpath -m -s -- "$1")
program_dir=$prefix/lib/quelmar-de-orivela
record=$program_dir/arquivos-instalados.txt
[[ -f $record ]] || {
    echo "Nada a desinstalar: falta $record, a lista que make install deixa." >&2
    exit 1
}

removed=0
while IFS= read -r file || [[ -n $file ]]; do
    [[ -n $file ]] || continue
    # The list is a file on disk like any other: nothing outside the prefix is removed for it.
    normalized=$(realpath -m -s -- "$file")
    if [[ $normalized != "$prefix"/* ]]; then
        echo "Ignorado, fora de $prefix: $file" >&2
        continue
    fi
    if [[ -e $normalized || -L $normalized ]]; then
        rm -f -- "$normalized"
        removed=$((removed + 1))
    fi
done <"$record"
rm -f -- "$record"
echo "Removidos $removed arquivos de $prefix."

# The folders the installation created, deepest first, each only when nothing else is in it; a
# folder that was there before (~/.local/share/applications, say) is never on the list.
folders_record=$program_dir/pastas-criadas.txt
if [[ -f $folders_record ]]; then
    folders=()
    while IFS= read -r folder || [[ -n $folder ]]; do
        normalized=$(realpath -m -s -- "$folder")
        [[ $normalized == "$prefix"/* || $normalized == "$prefix" ]] && folders+=("$normalized")
    done <"$folders_record"
    rm -f -- "$folders_record"
    if [[ ${#folders[@]} -gt 0 ]]; then
        printf '%s\n' "${folders[@]}" | LC_ALL=C sort -r | while IFS= read -r folder; do
            rmdir -- "$folder" 2>/dev/null || true
        done
    fi
fi

if [[ -e $program_dir/opcoes ]]; then
    echo "Mantido (opções salvas): $program_dir/opcoes"
    echo "Para apagá-las também: rm -r \"$program_dir\""
else
    rmdir -- "$program_dir" 2>/dev/null || true
fi
