#include "io/eventosLeidos.h"

#include <algorithm>
#include <cmath>

int32_t NumeracionTextos::numero(const std::string& texto) {
    const auto [it, nuevo] = numeros_.emplace(texto, siguiente_);
    if (nuevo) ++siguiente_;
    return it->second;
}

std::shared_ptr<TablaEventos> construirTablaEventos(std::vector<Evento> eventos, int64_t muestras,
                                                    size_t* descartados) {
    const size_t antes = eventos.size();
    std::erase_if(eventos, [&](const Evento& e) { return e.posicion < 0 || e.posicion >= muestras; });
    if (descartados) *descartados = antes - eventos.size();
    std::stable_sort(eventos.begin(), eventos.end(),
                     [](const Evento& a, const Evento& b) { return a.posicion < b.posicion; });

    auto tabla = std::make_shared<TablaEventos>();
    const bool extendido =
        std::any_of(eventos.begin(), eventos.end(), [](const Evento& e) { return e.duracion > 0 || e.canal > 0; });
    tabla->modo = extendido ? 3 : 1;
    tabla->eventos.reserve(eventos.size());
    // fijarEvento scans the kinds; a kind already met takes its colour from
    // this index, so many events of few kinds stay linear.
    std::map<std::pair<int32_t, int32_t>, Evento> colorPorTipo;
    for (size_t i = 0; i < eventos.size(); ++i) {
        Evento e = eventos[i];
        const auto clave = std::make_pair(e.tipo, e.calificador);
        const auto conocido = colorPorTipo.find(clave);
        if (conocido == colorPorTipo.end()) {
            fijarEvento(*tabla, e, static_cast<int32_t>(i));
            colorPorTipo.emplace(clave, tabla->tipos.back());
        } else {
            e.rojo = conocido->second.rojo;
            e.verde = conocido->second.verde;
            e.azul = conocido->second.azul;
            tabla->eventos.push_back(e);
        }
    }
    tabla->numeroEventos = static_cast<int32_t>(tabla->eventos.size());
    return tabla;
}

int32_t columnaDeTiempo(double segundos, double frecuencia) {
    const double columna = std::round(segundos * frecuencia);
    if (!(columna > INT32_MIN)) return INT32_MIN;  // NaN as well
    if (columna > INT32_MAX) return INT32_MAX;
    return static_cast<int32_t>(columna);
}
