#!/usr/bin/env bash
# `quelmar-frase --notificar` as installed, against a real notification daemon: dunst on this
# test's own X server and session bus, read back with `dunstctl history`.
#   - with no notification service on the bus, it says so and exits 1, without waiting long;
#   - with dunst, the notification carries "Quelmar de Orivela — nº N" and the message, shown
#     as written even where it looks like markup, and nothing is printed;
#   - the message of the day sent as a notification is the one the terminal gets that day.
#
#   notification.sh CMAKE BUILD_DIR
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || fail "uso: notification.sh CMAKE PASTA_DE_COMPILACAO"
e2e_enter_display "${BASH_SOURCE[0]}" "$@"
install_setup "$1" "$2"
require_tools dbus-daemon dunst dunstctl python3

bus_pid=''
dunst_pid=''
stop_services() {
    [[ -n $dunst_pid ]] && kill "$dunst_pid" 2>/dev/null
    [[ -n $bus_pid ]] && kill "$bus_pid" 2>/dev/null
    return 0
}
on_cleanup=stop_services

# A bus of this test's own, without service activation, so that no daemon installed on the
# machine starts behind the test's back.
cat >"$work/barramento.conf" <<CONFIG
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONFIG
dbus-daemon --config-file="$work/barramento.conf" --fork --print-address=3 --print-pid=4 \
    3>"$work/endereco" 4>"$work/pid-barramento" || fail "o barramento de sessão não começou"
bus_pid=$(cat "$work/pid-barramento")
DBUS_SESSION_BUS_ADDRESS=$(cat "$work/endereco")
export DBUS_SESSION_BUS_ADDRESS

prefix=$work/prefixo
install_into "$prefix"
frase=$prefix/bin/quelmar-frase
program_dir=$prefix/$program_subdir

# No service yet.
begin=$(now_ms)
status=0
"$frase" -d -t >"$work/saida.txt" 2>"$work/erros.txt" || status=$?
elapsed=$(($(now_ms) - begin))
[[ $status -eq 1 ]] || fail "sem serviço de notificações: status $status, esperado 1"
grep -q 'nenhum serviço de notificações' "$work/erros.txt" ||
    fail "sem serviço de notificações, a mensagem foi: $(cat "$work/erros.txt")"
((elapsed < 10000)) || fail "sem serviço de notificações, levou $elapsed ms para desistir"
note "sem serviço: status 1 em $elapsed ms"

dunst >"$work/dunst.txt" 2>&1 &
dunst_pid=$!
for _ in $(seq 100); do
    dunstctl is-paused >/dev/null 2>&1 && break
    process_alive "$dunst_pid" || fail "o dunst terminou: $(cat "$work/dunst.txt")"
    sleep 0.05
done
dunstctl is-paused >/dev/null 2>&1 || fail "o dunst não apareceu no barramento em 5 s"

# "summary<TAB>text as shown" of every notification dunst received, oldest first. The body is
# markup for dunst: tags are formatting, entities characters.
shown_notifications() {
    dunstctl close-all
    dunstctl history | python3 -c '
import html, json, re, sys
for n in reversed(json.load(sys.stdin)["data"][0]):
    shown = html.unescape(re.sub(r"<[^>]*>", "", n["body"]["data"]))
    print(n["summary"]["data"] + "\t" + shown.replace("\n", "\\n"))'
}

text='Pão & <b>vinho</b> para 2 < 3, "já" disse'
printf '%s\n%%\nsegunda\n' "$text" >"$work/fonte.txt"
"$prefix/bin/quelmar-colecoes" criar "$program_dir/quelmar.mdb" QuelmarOrivela \
    "$work/fonte.txt" >/dev/null || fail "não foi possível criar a coleção de teste"
"$frase" -c quelmar -n 1 --notificar >"$work/saida.txt" 2>&1 ||
    fail "--notificar falhou: $(cat "$work/saida.txt")"
[[ ! -s $work/saida.txt ]] || fail "--notificar escreveu: $(cat "$work/saida.txt")"
day=$("$frase" -d -c tarvenas | sed -n 's/^— Tarvenas de Cendra, nº //p')
"$frase" -c tarvenas -d -t || fail "a mensagem do dia não foi notificada"
expected_day_text=$("$frase" -c tarvenas -n "$day" -q)

shown=$(shown_notifications) || fail "dunstctl history falhou"
expected=$(printf '%s\t%s\n%s\t%s' "Quelmar de Orivela — nº 1" "$text" \
    "Tarvenas de Cendra — nº $day" "${expected_day_text//$'\n'/\\n}")
[[ $shown == "$expected" ]] || fail "notificações mostradas:
$shown
esperadas:
$expected"
note "duas notificações mostradas pelo dunst como escritas"
