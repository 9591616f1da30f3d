#!/bin/bash
# A one-node Slurm on this machine, for trying the cluster path of the study
# workflow: munged, slurmctld and slurmd on localhost, with a minimal
# configuration written at run time into CARPETA. Runs as root.
#
#   flujo/slurm-local.sh arrancar CARPETA   starts the daemons, waits until the
#                                           node takes jobs, prints the
#                                           SLURM_CONF line to export
#   flujo/slurm-local.sh parar CARPETA      stops every daemon it started, by
#                                           process id, and the job steps
#                                           they left behind
#
# No cgroups (proctrack/linuxproc, task/none) and no accounting database:
# finished jobs go to a text file (jobcomp/filetxt), which `sacct -c` reads.
set -eu

uso() { echo "Uso: $0 arrancar|parar CARPETA" >&2; exit 2; }
fallo() { echo "slurm-local: $*" >&2; exit 1; }

[ $# -eq 2 ] || uso
orden=$1
dir=$2

# Every process started here is listed, one id a line, so that stopping
# touches nothing else on the machine.
pids="$dir/pids"

parar() {
    [ -f "$pids" ] || return 0
    # Job steps still running belong to slurmd; collect them before it goes.
    hijos=""
    for p in $(cat "$pids"); do
        hijos="$hijos $(ps -o pid= --ppid "$p" 2>/dev/null || true)"
    done
    for p in $hijos $(tac "$pids"); do
        kill "$p" 2>/dev/null || true
    done
    for p in $hijos $(cat "$pids"); do
        n=0
        while kill -0 "$p" 2>/dev/null; do
            n=$((n + 1))
            if [ $n -gt 50 ]; then kill -9 "$p" 2>/dev/null || true; fi
            if [ $n -gt 60 ]; then echo "slurm-local: el proceso $p no termina" >&2; break; fi
            sleep 0.2
        done
    done
    rm -f "$pids"
}

# A daemon that dies during start-up takes the others with it.
arrancado() {
    # $1 name, $2 pid, $3 log
    kill -0 "$2" 2>/dev/null && return 0
    echo "slurm-local: $1 no arranca; últimas líneas de $3:" >&2
    tail -n 15 "$3" >&2 || true
    parar
    exit 1
}

libre() {
    # A TCP port nobody listens on, between 20000 and 40000.
    while :; do
        p=$(( $(od -An -N2 -tu2 /dev/urandom) % 20000 + 20000 ))
        if ! (exec 3<>/dev/tcp/127.0.0.1/$p) 2>/dev/null; then echo $p; return; fi
    done
}

case $orden in
parar)
    parar
    exit 0
    ;;
arrancar) ;;
*) uso ;;
esac

[ "$(id -u)" = 0 ] || fallo "hay que ejecutarlo como root (slurmd arranca los trabajos con el usuario que los envía)"
for prog in munged mungekey slurmctld slurmd sinfo; do
    command -v $prog >/dev/null 2>&1 || [ -x /usr/sbin/$prog ] ||
        fallo "falta $prog: instale los paquetes munge y slurm-wlm (make deps)"
done
PATH=$PATH:/usr/sbin
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
pids="$dir/pids"
[ -f "$pids" ] && fallo "ya hay un Slurm arrancado en $dir (pare antes con: $0 parar $dir)"
mkdir -p "$dir/munge" "$dir/estado" "$dir/spool"
chmod 700 "$dir/munge"

# munge: a fresh key and its own socket, so that a system munged, if any, is
# not touched.
mungekey -c -k "$dir/munge/munge.key" 2>/dev/null || fallo "mungekey no pudo crear la clave"
chmod 600 "$dir/munge/munge.key"
munged -F -f --key-file "$dir/munge/munge.key" -S "$dir/munge/munge.socket" \
    --pid-file "$dir/munge/munged.pid" --seed-file "$dir/munge/munged.seed" \
    --log-file "$dir/munge/munged.log" </dev/null >>"$dir/munge/munged.log" 2>&1 &
echo $! >>"$pids"
n=0
until [ -S "$dir/munge/munge.socket" ]; do
    arrancado munged "$(tail -n1 "$pids")" "$dir/munge/munged.log"
    n=$((n + 1)); [ $n -lt 50 ] || { parar; fallo "munged no abre su socket"; }
    sleep 0.1
done

nodo=$(hostname -s 2>/dev/null || echo localhost)
cpus=$(nproc)
# Memory the jobs may ask for: what the machine has, less a margin.
memoria=$(awk '/^MemTotal:/ { printf "%d", $2 / 1024 * 0.9 }' /proc/meminfo)
cat >"$dir/slurm.conf" <<CONF
ClusterName=ondelarlocal
SlurmctldHost=$nodo(127.0.0.1)
SlurmctldPort=$(libre)
SlurmdPort=$(libre)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/munge.socket
StateSaveLocation=$dir/estado
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/filetxt
JobCompLoc=$dir/trabajos.txt
MpiDefault=none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core_Memory
ReturnToService=2
SlurmctldTimeout=30
SlurmdTimeout=30
InactiveLimit=0
KillWait=5
MinJobAge=600
NodeName=$nodo NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$memoria State=UNKNOWN
PartitionName=ondelar Nodes=$nodo Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$dir/slurm.conf"

slurmctld -D -i -f "$SLURM_CONF" </dev/null >>"$dir/slurmctld.log" 2>&1 &
echo $! >>"$pids"
sleep 0.5
arrancado slurmctld "$(tail -n1 "$pids")" "$dir/slurmctld.log"
slurmd -D -N "$nodo" -f "$SLURM_CONF" </dev/null >>"$dir/slurmd.log" 2>&1 &
echo $! >>"$pids"

# The node is usable once sinfo shows it idle.
n=0
until sinfo -h -N -o %T 2>/dev/null | grep -q '^idle'; do
    arrancado slurmctld "$(sed -n 2p "$pids")" "$dir/slurmctld.log"
    arrancado slurmd "$(sed -n 3p "$pids")" "$dir/slurmd.log"
    n=$((n + 1))
    if [ $n -gt 150 ]; then
        echo "slurm-local: el nodo no queda disponible en 30 s; estado: $(sinfo -h -N -o '%T %E' 2>&1)" >&2
        tail -n 10 "$dir/slurmctld.log" "$dir/slurmd.log" >&2 || true
        parar
        exit 1
    fi
    sleep 0.2
done
echo "export SLURM_CONF=$SLURM_CONF"
