#include "mara/directorioEjecutable.h"

#include <stdexcept>
#include <system_error>

std::filesystem::path directorioEjecutable() {
    std::error_code error;
    const std::filesystem::path ruta = std::filesystem::canonical("/proc/self/exe", error);
    if (error)
        throw std::runtime_error("no se puede averiguar la ruta del ejecutable: " + error.message());
    return ruta.parent_path();
}
