#!/usr/bin/env bash
# `quelmar-frase --notificar` as installed, against a real notification daemon: dunst on this
# test's own X server and session bus, read back with `dunstctl history`.
#   - with no notification service on the bus, it says so and exits 1, without waiting long;
#   - with dunst, the notification carries "Quelmar de Orivela — nº N" and the message, shown
#     as written even where it looks like markup, and nothing is printed;
#   - the message of the day sent as a notification is the one the terminal gets that day;
#   - a NUL in a message arrives as U+FFFD, a message too long for a notification arrives cut
#     with "…" (the terminal gets it whole);
#   - a service that leaves without answering, or refuses in its own words, is reported so;
#   - without a session bus it says so and starts none.
#
#   notification.sh CMAKE BUILD_DIR
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || fail "uso: notification.sh CMAKE PASTA_DE_COMPILACAO"
e2e_enter_display "${BASH_SOURCE[0]}" "$@"
install_setup "$1" "$2"
require_tools dbus-daemon dbus-launch dunst dunstctl pgrep python3

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

status=0
env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR "$frase" -d -t 2>"$work/erros.txt" || status=$?
left=$(stop_autolaunched_buses)
[[ $status -eq 1 && -z $left ]] && grep -q 'DBUS_SESSION_BUS_ADDRESS não está definida' \
    "$work/erros.txt" || fail "sem barramento: status $status, $(cat "$work/erros.txt") $left"

# A service that leaves at Notify without answering (sai), or refuses in English (recusa).
for row in 'sai|fechou sem responder' 'recusa|recusou a mensagem ("Too many'; do
    /usr/bin/python3 - "${row%%|*}" <<'PYTHON' &
import os, sys, dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
class Service(dbus.service.Object):
    @dbus.service.method("org.freedesktop.Notifications", out_signature="as")
    def GetCapabilities(self):
        return []
    @dbus.service.method("org.freedesktop.Notifications", out_signature="u")
    def Notify(self, *arguments):
        if sys.argv[1] == "sai":
            os._exit(0)
        raise dbus.DBusException("Too many notifications", name="org.example.Full")
name = dbus.service.BusName("org.freedesktop.Notifications", dbus.SessionBus())
Service(name, "/org/freedesktop/Notifications")
GLib.MainLoop().run()
PYTHON
    service_pid=$!
    until dbus-send --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:org.freedesktop.Notifications | grep -q true; do sleep 0.05; done
    status=0
    "$frase" -d -t 2>"$work/erros.txt" || status=$?
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" || true
    [[ $status -eq 1 ]] && grep -qF "${row#*|}" "$work/erros.txt" ||
        fail "serviço que ${row%%|*}: status $status, $(cat "$work/erros.txt")"
done

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
long=$(printf 'ab %.0s' {1..30000})fim
printf '%s\n%%\nsegunda\n%%\n%s\n' "$text" "$long" >"$work/fonte.txt"
"$prefix/bin/quelmar-colecoes" criar "$program_dir/quelmar.mdb" QuelmarOrivela \
    "$work/fonte.txt" >/dev/null || fail "não foi possível criar a coleção de teste"
python3 -c 'import sqlite3, sys; sqlite3.connect(sys.argv[1]).executescript(
    "UPDATE QuelmarOrivela SET mensagem = \x27antes\x27 || char(0) || \x27depois\x27 WHERE Numero = 2")' \
    "$program_dir/quelmar.mdb"
[[ $("$frase" -c quelmar -n 3 -q) == "$long" ]] || fail "a mensagem longa não saiu inteira"
for number in 1 2 3; do
    "$frase" -c quelmar -n "$number" --notificar >"$work/saida.txt" 2>&1 ||
        fail "--notificar falhou: $(cat "$work/saida.txt")"
done
[[ ! -s $work/saida.txt ]] || fail "--notificar escreveu: $(cat "$work/saida.txt")"
day=$("$frase" -d -c tarvenas | sed -n 's/^— Tarvenas de Cendra, nº //p')
"$frase" -c tarvenas -d -t || fail "a mensagem do dia não foi notificada"
expected_day_text=$("$frase" -c tarvenas -n "$day" -q)

shown=$(shown_notifications) || fail "dunstctl history falhou"
expected=$(printf '%s\t%s\n' "Quelmar de Orivela — nº 1" "$text" "Quelmar de Orivela — nº 2" \
    "antes�depois" "Quelmar de Orivela — nº 3" "${long:0:65535}…" \
    "Tarvenas de Cendra — nº $day" "${expected_day_text//$'\n'/\\n}")
[[ $shown == "$expected" ]] || fail "notificações mostradas:
$shown
esperadas:
$expected"
note "quatro notificações mostradas pelo dunst como escritas"
