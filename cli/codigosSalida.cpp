#include "cli/codigosSalida.h"

#include <iostream>
#include <new>

#include "io/progreso.h"

void escribirError(const std::string& texto) {
    std::cout.flush();
    std::cerr << "ondelar-cli: error: " << texto << std::endl;
}

int ejecutarConCodigos(const std::function<int()>& orden) {
    try {
        return orden();
    } catch (const Cancelado&) {
        escribirError("interrumpido por una señal; no se ha escrito ningún archivo de salida");
        return 130;
    } catch (const ErrorUso& e) {
        escribirError(e.what());
        return 2;
    } catch (const std::bad_alloc&) {
        escribirError("no hay memoria suficiente");
        return 1;
    } catch (const std::exception& e) {
        escribirError(e.what());
        return 1;
    } catch (...) {
        escribirError("error inesperado");
        return 1;
    }
}
