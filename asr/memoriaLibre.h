#pragma once
// Free physical memory as the operating system reports it.

// Bytes of physical memory available to a new process: MemAvailable of
// /proc/meminfo, else the free pages of sysconf; 0 when neither can be read.
double memoriaFisicaLibre();
