#include "io/posicionesEstandar.h"

#include <charconv>
#include <map>
#include <string_view>
#include <vector>

// Text of the table (label, 10-05 name, x, y, z in metres with x towards the
// right ear and y towards the nose; one header line).
extern const std::string_view tablaElectrodos1005;

namespace {

std::string clave(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\0' || t.back() == '\r')) t.remove_suffix(1);
    std::string r(t);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (r.rfind("EEG ", 0) == 0) r = clave(std::string_view(r).substr(4));
    return r;
}

const std::map<std::string, std::array<double, 3>>& tabla() {
    static const std::map<std::string, std::array<double, 3>> t = [] {
        std::map<std::string, std::array<double, 3>> r;
        std::string_view texto = tablaElectrodos1005;
        bool cabecera = true;
        while (!texto.empty()) {
            const size_t fin = std::min(texto.find('\n'), texto.size());
            const std::string_view linea = texto.substr(0, fin);
            texto.remove_prefix(std::min(fin + 1, texto.size()));
            if (cabecera || linea.empty()) {
                cabecera = false;
                continue;
            }
            std::vector<std::string_view> campos;
            for (size_t i = 0;;) {
                const size_t tab = linea.find('\t', i);
                campos.push_back(linea.substr(i, tab == std::string_view::npos ? std::string_view::npos : tab - i));
                if (tab == std::string_view::npos) break;
                i = tab + 1;
            }
            if (campos.size() < 5) continue;
            double m[3];
            for (int k = 0; k < 3; ++k) std::from_chars(campos[2 + k].data(), campos[2 + k].data() + campos[2 + k].size(), m[k]);
            // Metres, x right and y nose, to the .CED frame: mm, x nose, y left.
            const std::array<double, 3> ced{m[1] * 1000.0, -m[0] * 1000.0, m[2] * 1000.0};
            r.emplace(clave(campos[0]), ced);
            r.emplace(clave(campos[1]), ced);
        }
        return r;
    }();
    return t;
}

}  // namespace

std::optional<std::array<double, 3>> posicionEstandar(const std::string& etiqueta) {
    const auto it = tabla().find(clave(etiqueta));
    if (it == tabla().end()) return std::nullopt;
    return it->second;
}

std::string cargarSinCED(EEG& eeg) {
    uint32_t situados = 0, total = 0;
    if (eeg.canales) {
        // The channel list may be shared with other records: change a copy.
        auto canales = std::make_shared<std::vector<Canal>>(*eeg.canales);
        for (Canal& c : *canales) {
            ++total;
            c.localizacion = posicionEstandar(c.etiqueta);
            if (c.localizacion) ++situados;
        }
        eeg.canales = std::move(canales);
    }
    return "Sin archivo de localizaciones: el registro se ha cargado con las etiquetas de sus canales; " +
           std::to_string(situados) + " de " + std::to_string(total) +
           " canales tienen la posición estándar 10-05 de su etiqueta y los demás no tienen localización.";
}
