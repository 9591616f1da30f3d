#include "averaging/archivoCubo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace {

std::tm horaLocalActual() {
    const std::time_t ahora = std::time(nullptr);
    std::tm hora{};
    localtime_r(&ahora, &hora);
    return hora;
}

// Claims `ruta` by creating it exclusively. False when it already exists.
bool reservarArchivo(const std::filesystem::path& ruta, bool& otroFallo) {
    std::FILE* f = std::fopen(ruta.c_str(), "wx");
    if (f) {
        std::fclose(f);
        return true;
    }
    otroFallo = errno != EEXIST;
    return false;
}

}  // namespace

std::string nombreCuboPromediado(const std::tm& hora) { return nombreCuboPromediado(hora, 1); }

std::string nombreCuboPromediado(const std::tm& hora, int repeticion) {
    char bufer[64];
    // asctime's own format, written out so that an odd date cannot overrun
    // the C library's static buffer.
    static const char* const dias[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const meses[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (hora.tm_wday < 0 || hora.tm_wday > 6 || hora.tm_mon < 0 || hora.tm_mon > 11)
        throw std::invalid_argument("fecha no valida (dia de la semana " +
                                    std::to_string(hora.tm_wday) + ", mes " + std::to_string(hora.tm_mon) + ")");
    const int n = std::snprintf(bufer, sizeof bufer, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", dias[hora.tm_wday],
                                meses[hora.tm_mon], hora.tm_mday, hora.tm_hour, hora.tm_min, hora.tm_sec,
                                1900 + hora.tm_year);
    if (n < 0 || static_cast<size_t>(n) >= sizeof bufer)
        throw std::invalid_argument("fecha no valida");
    std::string texto(bufer, static_cast<size_t>(n));
    if (!texto.empty() && texto.back() == '\n') texto.pop_back();
    std::replace(texto.begin(), texto.end(), ':', '-');
    std::string nombre = "Promediado-";
    nombre += texto;
    if (repeticion > 1) {
        nombre += '-';
        nombre += std::to_string(repeticion);
    }
    nombre += ".bin";
    return nombre;
}

std::filesystem::path guardarCuboPromediado(const arma::cube& cubo, const DestinoCubo& destino) {
    const std::tm hora = destino.horaLocal ? destino.horaLocal() : horaLocalActual();
    std::filesystem::path ruta;
    // A bound on the suffixes keeps a directory full of names from becoming a hang.
    constexpr int maximoRepeticiones = 100000;
    bool reservado = false;
    for (int repeticion = 1; repeticion <= maximoRepeticiones && !reservado; ++repeticion) {
        ruta = destino.directorio / nombreCuboPromediado(hora, repeticion);
        bool otroFallo = false;
        reservado = reservarArchivo(ruta, otroFallo);
        if (otroFallo) return {};
    }
    if (!reservado) return {};
    bool escrito = false;
    {
        std::ofstream salida(ruta, std::ios::binary | std::ios::trunc);
        escrito = salida && cubo.save(salida, arma::arma_binary);
        salida.close();
        escrito = escrito && !salida.fail();
    }
    if (!escrito) {
        std::error_code ec;
        std::filesystem::remove(ruta, ec);
        return {};
    }
    return ruta;
}
