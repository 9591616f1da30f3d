#pragma once
// The machine's load averages over 1, 5 and 15 minutes, as /proc/loadavg
// gives them: printed beside timings, which mean little on a loaded machine.

#include <fstream>
#include <string>

inline std::string cargaMaquina() {
    std::ifstream f("/proc/loadavg");
    std::string a, b, c;
    f >> a >> b >> c;
    return a + " " + b + " " + c;
}
