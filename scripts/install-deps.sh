#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
#   scripts/install-deps.sh [fuzz]
# "fuzz" adds what only `make fuzz` needs: clang with its libFuzzer runtime.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libsqlite3-dev
  # build: printing submits its jobs through libcups, to read the print server's answer
  libcups2-dev
  libbenchmark-dev clang-format
  fonts-liberation qt6-translations-l10n
  xvfb xauth xdotool x11-apps libx11-dev
  poppler-utils cups printer-driver-cups-pdf
  desktop-file-utils appstream python3
)
for group in "$@"; do
  case $group in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    *)
      echo "Grupo de pacotes desconhecido: \"$group\" (conhecido: fuzz)." >&2
      exit 2
      ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Instalando pacotes que faltam: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  run=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  run=(sudo)
else
  echo "Não é possível instalar sem privilégios de administrador. Rode:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${run[@]}" apt-get update -qq
"${run[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
