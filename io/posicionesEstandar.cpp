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
    // BCI2000's EDF+ export pads labels to four characters with dots ("C3..", "Af3.").
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\0' || t.back() == '\r' || t.back() == '.'))
        t.remove_suffix(1);
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

bool esEtiquetaNoEEG(const std::string& etiqueta) {
    const std::string t = clave(etiqueta);
    for (const char* prefijo : {"EOG", "HEOG", "VEOG", "ECG", "EKG", "EMG", "RESP", "STATUS", "TRIGGER", "STI"})
        if (t.rfind(prefijo, 0) == 0) return true;
    return false;
}

std::string cargarSinCED(EEG& eeg) {
    uint32_t situados = 0, total = 0, eeg10_05 = 0;
    std::vector<std::optional<std::array<double, 3>>> posiciones;
    if (eeg.canales)
        for (const Canal& c : *eeg.canales) {
            ++total;
            posiciones.push_back(posicionEstandar(c.etiqueta));
            if (!esEtiquetaNoEEG(c.etiqueta)) {
                ++eeg10_05;
                if (posiciones.back()) ++situados;
            }
        }
    // A cap named otherwise (BioSemi's A1...D32) shares a few names with
    // 10-05 (C3, C4) at other places: taking those would be wrong.
    const bool otroMontaje = situados > 0 && 2 * situados < eeg10_05;
    uint32_t conPosicion = 0;
    if (eeg.canales) {
        // The channel list may be shared with other records: change a copy.
        auto canales = std::make_shared<std::vector<Canal>>(*eeg.canales);
        for (size_t i = 0; i < canales->size(); ++i) {
            (*canales)[i].localizacion = otroMontaje ? std::nullopt : posiciones[i];
            if ((*canales)[i].localizacion) ++conPosicion;
        }
        eeg.canales = std::move(canales);
    }
    const std::string inicio = "Sin archivo de localizaciones: el registro se ha cargado con las etiquetas de sus canales; ";
    if (otroMontaje)
        return inicio + "solo " + std::to_string(situados) + " de sus " + std::to_string(eeg10_05) +
               " etiquetas de EEG son nombres del sistema 10-05, menos de la mitad: el gorro seguirá otro sistema, "
               "y ningún canal recibe posición estándar (daría la de otro electrodo).";
    return inicio + std::to_string(conPosicion) + " de " + std::to_string(total) +
           " canales tienen la posición estándar 10-05 de su etiqueta y los demás no tienen localización.";
}
