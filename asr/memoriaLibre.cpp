#include "asr/memoriaLibre.h"

#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

double memoriaFisicaLibre() {
    // MemAvailable counts reclaimable page cache too, which "free" pages do not:
    // on a machine that has run for a while it is the figure that means something.
    std::ifstream meminfo("/proc/meminfo");
    std::string linea;
    while (std::getline(meminfo, linea)) {
        if (linea.rfind("MemAvailable:", 0) != 0) continue;
        std::istringstream campos(linea.substr(13));
        double kib = 0;
        if (campos >> kib && kib > 0) return kib * 1024.0;
        break;
    }
    const long paginas = sysconf(_SC_AVPHYS_PAGES);
    const long tamano = sysconf(_SC_PAGESIZE);
    if (paginas > 0 && tamano > 0) return static_cast<double>(paginas) * static_cast<double>(tamano);
    return 0.0;
}
