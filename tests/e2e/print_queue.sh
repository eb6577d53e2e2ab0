#!/usr/bin/env bash
# "Imprimir" on a real print queue: a print server of the test's own (its own directories and
# socket, so the machine's printing is never touched) with a virtual PDF printer as the default
# printer. Alt+I in the main window must make the queue write a PDF that carries the title and
# one message of the collections, whole. Then the queue stops accepting jobs (cupsreject): Alt+I
# must give the program's warning box, print nothing, and leave the program running.
#
#   print_queue.sh PROGRAM HELPER COLLECTION_TEXT...
#
# Without a print server that can be started here, the test says why and is skipped (status 77).
set -euo pipefail

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

skipped_status=77

[[ $# -ge 3 ]] || fail "uso: print_queue.sh PROGRAMA AJUDANTE TEXTO_DA_COLEÇÃO..."

skip() {
    echo "IGNORADO: $*" >&2
    exit "$skipped_status"
}

# The virtual printer reads its settings only from the system's CUPS directory, under a name of
# the queue's own; that one file is the test's and goes with it.
PATH=$PATH:/usr/sbin
[[ $(id -u) -eq 0 ]] || skip "a impressora virtual só grava PDFs de um servidor rodando como root"
for tool in cupsd lpadmin lpstat cupsreject pdftotext pdftocairo; do
    command -v "$tool" >/dev/null || skip "falta o programa '$tool' (cups, poppler-utils)"
done
[[ -x /usr/lib/cups/backend/cups-pdf ]] || skip "falta a impressora virtual (printer-driver-cups-pdf)"

e2e_setup "${BASH_SOURCE[0]}" "$@"
texts=("${@:3}")

queue=quelmar-e2e-$$
cups=$work/cups
queue_settings=/etc/cups/cups-pdf-$queue.conf
cupsd_pid=''

stop_print_server() {
    [[ -n $cupsd_pid ]] && kill "$cupsd_pid" 2>/dev/null
    rm -f "$queue_settings"
    if [[ -n $cupsd_pid ]]; then
        for _ in $(seq 50); do
            process_alive "$cupsd_pid" || break
            sleep 0.1
        done
    fi
}
on_cleanup=stop_print_server

# The server's filters run as "lp": they must reach the spool through the work directory.
chmod 711 "$work"
mkdir -m 755 "$cups" "$cups/conf" "$cups/cache" "$cups/state" "$cups/logs" "$cups/pdf" \
    "$cups/pdf-spool" "$cups/home"
mkdir -m 1777 "$cups/spool"
cat >"$cups/conf/cupsd.conf" <<CONF
Listen $cups/cups.sock
LogLevel warn
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
CONF
cat >"$cups/conf/cups-files.conf" <<CONF
ServerRoot $cups/conf
RequestRoot $cups/spool
TempDir $cups/spool
CacheDir $cups/cache
StateDir $cups/state
ErrorLog $cups/logs/error_log
AccessLog $cups/logs/access_log
PageLog $cups/logs/page_log
User lp
Group lp
SystemGroup root
CONF
cat >"$queue_settings" <<CONF
Out $cups/pdf
AnonDirName $cups/pdf
Spool $cups/pdf-spool
Grp root
Log $cups/logs
CONF

cupsd -f -c "$cups/conf/cupsd.conf" -s "$cups/conf/cups-files.conf" >"$cups/logs/cupsd.txt" 2>&1 &
cupsd_pid=$!
# The program and the admin tools find this server, and no printer setting of the user's.
export CUPS_SERVER=$cups/cups.sock CUPS_SERVERROOT=$cups/conf HOME=$cups/home
unset PRINTER LPDEST

for _ in $(seq 50); do
    [[ -S $CUPS_SERVER ]] && lpstat -r >/dev/null 2>&1 && break
    process_alive "$cupsd_pid" || break
    sleep 0.1
done
if ! lpstat -r >/dev/null 2>&1; then
    cat "$cups/logs/cupsd.txt" "$cups/logs/error_log" 2>/dev/null >&2 || true
    skip "o servidor de impressão (cupsd) não pôde ser iniciado nesta máquina"
fi
# The page reaches the virtual printer as PostScript; converted by pdftocairo, its text stays
# text that pdftotext can read back.
lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
    -o pdftops-renderer-default=pdftocairo 2>/dev/null || fail "lpadmin não criou a fila $queue"
lpadmin -d "$queue" || fail "lpadmin não fez de $queue a impressora padrão"
[[ $(lpstat -d) == *"$queue"* ]] || fail "a impressora padrão não é $queue: $(lpstat -d)"
note "fila $queue pronta como impressora padrão"

start_program
wait_for_window "$main_title_pattern" 10
window=$found_window
press "$window" alt+i

# The queue converts the page in the background; a few seconds on a quiet machine.
begin=$(now_ms)
pdf=''
while [[ -z $pdf ]]; do
    pdf=$(find "$cups/pdf" -name '*.pdf' -size +0 2>/dev/null | head -n 1)
    [[ -n $pdf ]] && break
    program_running || fail "o programa terminou depois de Alt+I"
    (($(now_ms) - begin < 30000)) || {
        cat "$cups/logs/error_log" "$cups/logs"/cups-pdf* 2>/dev/null >&2 || true
        fail "a fila não gravou nenhum PDF em 30 s"
    }
    sleep 0.2
done
# A PDF still being written would read short; its size must settle first.
size=-1
while [[ $size != $(stat -c %s "$pdf") ]]; do
    size=$(stat -c %s "$pdf")
    sleep 0.3
done
note "PDF gravado pela fila em $(($(now_ms) - begin)) ms"

printed=$(pdftotext "$pdf" - | tr -s ' \n\f' '  ' | sed 's/^ *//; s/ *$//')
[[ $printed == 'Quelmar de Orivela '* ]] || fail "a folha não começa pelo título: '$printed'"
message=${printed#Quelmar de Orivela }
# The collections' sources: messages between lines of "%", each made one line of single blanks.
found=$(awk -v RS='\n%\n' '{ gsub(/[ \t\n]+/, " "); sub(/^ /, ""); sub(/ $/, ""); print }' \
    "${texts[@]}" | grep -Fxc -- "$message" || true)
[[ $found -ge 1 ]] || fail "a folha não traz uma mensagem inteira das coleções: '$message'"
program_running || fail "o programa terminou depois de imprimir"
note "a folha traz o título e a mensagem: '$message'"

cupsreject "$queue" || fail "cupsreject não fez a fila $queue recusar trabalhos"
[[ $(lpstat -a "$queue") == *not* ]] || fail "a fila ainda aceita trabalhos: $(lpstat -a "$queue")"
pdfs_before=$(find "$cups/pdf" -name '*.pdf' | wc -l)
press "$window" alt+i
wait_for_window "$box_title_pattern" 10
program_running || fail "o programa terminou depois da recusa da fila"
sleep 1
[[ $(find "$cups/pdf" -name '*.pdf' | wc -l) -eq $pdfs_before ]] ||
    fail "a fila que recusa trabalhos gravou um PDF"
note "a fila que recusa trabalhos deu a caixa de aviso"
