#include "io/claseEvento.h"

#include <charconv>

namespace {

// An int32 exactly as std::to_string writes it (no sign "+", no leading zero).
std::optional<int32_t> enteroCanonico(std::string_view t) {
    int32_t v = 0;
    const auto [fin, error] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (error != std::errc() || fin != t.data() + t.size() || std::to_string(v) != t) return std::nullopt;
    return v;
}

}  // namespace

std::string textoClaseEvento(int32_t tipo, int32_t calificador, const std::string& nombre) {
    std::string t = std::to_string(tipo) + "." + std::to_string(calificador);
    if (!nombre.empty()) t += " " + nombre;
    return t;
}

std::optional<ClaseEvento> leerClaseEvento(std::string_view texto) {
    const size_t blanco = texto.find(' ');
    const std::string_view par = texto.substr(0, blanco);
    const size_t punto = par.find('.');
    if (punto == std::string_view::npos) return std::nullopt;
    const std::optional<int32_t> tipo = enteroCanonico(par.substr(0, punto));
    const std::optional<int32_t> calificador = enteroCanonico(par.substr(punto + 1));
    if (!tipo || !calificador) return std::nullopt;
    ClaseEvento c;
    c.tipo = *tipo;
    c.calificador = *calificador;
    if (blanco != std::string_view::npos) c.nombre = std::string(texto.substr(blanco + 1));
    return c;
}
