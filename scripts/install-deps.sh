#!/usr/bin/env bash
# Installs the Debian packages a command needs, when any is missing.
#   scripts/install-deps.sh [GROUP]...
# With no group: what building and running the program need (make run, make install). Groups:
#   test     what only the tests and benchmarks need (make test, make bench, make sanitize):
#            a private X server, a print server with its PDF queue, the validators, lintian
#   deb      what building the Debian package needs (make deb)
#   format   clang-format (make format)
#   fuzz     clang with its libFuzzer runtime (make fuzz)
#   artwork  the libraries the picture generator writes GIF and chooses palettes with (make
#            artwork; the tests build the generator too)
# The test group is never part of a plain build or install: printer-driver-cups-pdf, for one,
# makes its PDF queue the default printer when there is none, and "Imprimir" would then write
# files instead of paper.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libsqlite3-dev
  # printing submits its jobs through libcups, to read the print server's answer
  libcups2-dev
  fonts-liberation qt6-translations-l10n xdg-utils
)
deb_packages=(dpkg-dev file)
for group in "$@"; do
  case $group in
    test)
      packages+=(
        "${deb_packages[@]}"
        libbenchmark-dev python3
        xvfb xauth xdotool x11-apps libx11-dev
        poppler-utils cups printer-driver-cups-pdf
        desktop-file-utils appstream lintian man-db
        # systemd-analyze checks the example timer for the message of the day
        systemd
        # quelmar-frase: fortune is its speed baseline, and Debian's Portuguese fortune file a
        # corpus it reads as it is, GNU time its peak memory; --notificar is tested against a
        # notification daemon on a session bus of the test's own
        fortune-mod fortunes-br time dbus dunst
        # the picture generator, built with everything else so that it keeps compiling
        libgif-dev libimagequant-dev
        # a session bus started for a program that found none, which must never happen; a
        # notification service that misbehaves
        dbus-x11 python3-dbus
        # Debian's Portuguese fortunes, which quelmar-colecoes must read as they are
        fortunes-br
        # an accessibility bus, and a client listening on it for what a screen reader hears
        at-spi2-core dbus-daemon python3-gi gir1.2-atspi-2.0
      )
      ;;
    deb) packages+=("${deb_packages[@]}") ;;
    format) packages+=(clang-format) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    artwork) packages+=(libgif-dev libimagequant-dev) ;;
    *)
      echo "Grupo de pacotes desconhecido: \"$group\" (conhecidos: test, deb, format, fuzz, artwork)." >&2
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
