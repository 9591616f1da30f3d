#include "io/diagnostico.h"

#include <iostream>
#include <mutex>

namespace {
std::mutex cerrojo;  // steps may run on a worker thread while the window prints
SumideroDiagnostico sumidero = [](const std::string& linea) { std::cout << linea << std::endl; };
}  // namespace

void diagnostico(const std::string& linea) {
    std::lock_guard<std::mutex> guarda(cerrojo);
    if (sumidero) sumidero(linea);
}

void fijarSumideroDiagnostico(SumideroDiagnostico nuevo) {
    std::lock_guard<std::mutex> guarda(cerrojo);
    sumidero = std::move(nuevo);
}
