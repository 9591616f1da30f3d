#pragma once
// The readers write their diagnostic lines (a .dat file's whole header among
// them) to standard output; a fuzzer runs them millions of times.

#include <cstdio>

inline void silenciarSalidaEstandar() {
    if (!std::freopen("/dev/null", "w", stdout)) return;
}
