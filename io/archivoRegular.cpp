#include "io/archivoRegular.h"

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

std::string motivoArchivoEspecial(const std::string& ruta) {
    struct stat st {};
    if (stat(ruta.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return {};
    if (S_ISDIR(st.st_mode)) return "es una carpeta, no un archivo";
    return "no es un archivo regular (es una tubería, un dispositivo o un conector)";
}

bool nombraArchivoDeLaCarpeta(const std::string& carpeta, const std::string& nombre) {
    namespace fs = std::filesystem;
    if (nombre.empty() || fs::path(nombre).is_absolute()) return false;
    std::error_code e;
    const fs::path base = fs::weakly_canonical(fs::absolute(carpeta.empty() ? "." : carpeta, e), e);
    if (e) return false;
    const fs::path destino = fs::weakly_canonical(base / nombre, e);
    if (e) return false;
    // destino must be base followed by at least one more component.
    auto b = base.begin();
    auto d = destino.begin();
    for (; b != base.end() && d != destino.end(); ++b, ++d)
        if (*b != *d) return false;
    return b == base.end() && d != destino.end() && !d->empty();
}
