#!/bin/sh
# Estado de un trabajo de Slurm para Snakemake (--cluster-status): running,
# success o failed. slurmctld recuerda los trabajos terminados unos minutos
# (MinJobAge); después responde la contabilidad (sacct). Sin respuesta de
# ninguno, el trabajo se da por en marcha: Snakemake vuelve a preguntar.
id=$1
estado=$(scontrol show job "$id" 2>/dev/null | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p' | head -n 1)
[ -n "$estado" ] || estado=$(sacct -n -X -P -j "$id" -o State 2>/dev/null | head -n 1 | cut -d ' ' -f 1)
case "$estado" in
    COMPLETED) echo success ;;
    "" | PENDING | CONFIGURING | RUNNING | COMPLETING | SUSPENDED | REQUEUED | RESIZING | STAGE_OUT) echo running ;;
    *) echo failed ;;
esac
