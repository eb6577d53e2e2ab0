#!/usr/bin/env bash
# What a screen reader hears when the message changes, as it travels on an accessibility bus of
# the test's own (AT-SPI, with a listener in place of the screen reader):
#   - Alt+P, twice, with the focus on the button: each time a notification says "Mensagem <n>:
#     <message>", as the number box and the message box show them;
#   - Alt+Left with the focus in the message box: the first of the two comes back and nothing is
#     said (the screen reader follows the focused box by itself);
#   - Tab, then Alt+Left: the message of the start comes back and is said. Being the next thing
#     said shows that the change before it was not.
# The timer is off, so that only the keys change the message.
#
#   announcement.sh PROGRAM HELPER SQLITE_HELPER LISTENER
#
# PROGRAM is the built program, with its data files beside it; HELPER is quelmar-e2e-x11;
# SQLITE_HELPER is quelmar-test-sqlite; LISTENER is atspi_listener.py.
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 4 ]] || fail "uso: announcement.sh PROGRAMA AJUDANTE AJUDANTE_SQLITE OUVINTE"
e2e_setup "${BASH_SOURCE[0]}" "$@"
sqlite_helper=$3
listener=$4
# Debian's own Python, which holds the AT-SPI bindings, whatever else is first on PATH.
python=/usr/bin/python3
require_tools dbus-daemon /usr/libexec/at-spi-bus-launcher "$python"

"$sqlite_helper" exec "$program_dir/opcoes" "UPDATE opcoes SET ComTem = 0" ||
    fail "não foi possível desligar o temporizador em opcoes"

heard=$work/ouvido.txt
bus_pid=''
launcher_pid=''
listener_pid=''
stop_buses() {
    local started
    for started in "$listener_pid" "$launcher_pid" "$bus_pid"; do
        [[ -n $started ]] && kill -TERM "$started" 2>/dev/null
    done
    return 0
}
on_cleanup=stop_buses

# A session bus and, through it, the accessibility bus, both the test's own.
bus_address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/bus.pid") ||
    fail "não foi possível iniciar um barramento de sessão"
bus_pid=$(cat "$work/bus.pid")
export DBUS_SESSION_BUS_ADDRESS=$bus_address
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/acessibilidade.txt" 2>&1 &
launcher_pid=$!
"$python" "$listener" listen >"$heard" 2>>"$work/acessibilidade.txt" &
listener_pid=$!

# Waits until LINES of the listener's output match PATTERN; fails after 10 s.
wait_heard() {
    local pattern=$1 lines=$2 begin
    begin=$(now_ms)
    while (($(grep -c -- "$pattern" "$heard" || true) < lines)); do
        process_alive "$listener_pid" || {
            cat "$work/acessibilidade.txt" >&2
            fail "o ouvinte da acessibilidade terminou"
        }
        (($(now_ms) - begin < 10000)) ||
            fail "esperadas $lines linha(s) '$pattern' do ouvinte em 10 s; ouvido: $(cat "$heard")"
        sleep 0.05
    done
}

heard_count() {
    grep -c -- "$1" "$heard" || true
}

check_announcement() {
    "$python" "$listener" check "$heard" "$1" || fail "o anúncio $1 não confere com a janela"
}

wait_heard '"ready"' 1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_program
wait_for_main_window

# Alt+P until the Nth announcement: a pick can draw the message already shown, which changes
# nothing and is not said. One change is said once.
pick_until_heard() {
    local wanted=$1 attempt begin
    for attempt in 1 2 3 4 5; do
        press "$window" alt+p
        begin=$(now_ms)
        while (($(heard_count '"announcement"') < wanted && $(now_ms) - begin < 3000)); do
            sleep 0.05
        done
        (($(heard_count '"announcement"') >= wanted)) && break
        note "Alt+P (tentativa $attempt) não trouxe outra mensagem"
    done
    wait_heard '"announcement"' "$wanted"
    sleep 0.3
    (($(heard_count '"announcement"') == wanted)) ||
        fail "uma troca de mensagem foi anunciada mais de uma vez: $(cat "$heard")"
}

pick_until_heard 1
first=$(check_announcement 1)
pick_until_heard 2
second=$(check_announcement 2)
note "Alt+P duas vezes: ouvidos os anúncios das mensagens $first e $second"

# The message box sits at 1890, 615 twips: 126, 41 pixels.
changes=$(heard_count '"changed"')
x xdotool mousemove --window "$window" 200 100 click 1 || fail "não foi possível clicar na mensagem"
press "$window" alt+Left
wait_heard '"changed"' $((changes + 1))
note "Alt+Left com o foco na mensagem voltou à mensagem $first"
# Time for an announcement sent by mistake to be read while the window still shows its message.
sleep 0.5

press "$window" Tab
press "$window" alt+Left
wait_heard '"announcement"' 3
third=$(check_announcement 3)
[[ $third != "$first" ]] ||
    fail "a mensagem $first, mostrada com o foco na mensagem, foi anunciada"
note "Tab e Alt+Left: ouvido o anúncio da mensagem $third, a do início, e nada antes dele"
