#include "canales/canalesMalos.h"

#include <algorithm>

#include "averaging/referencia.h"

void marcarCanalesMalos(EEG& eeg, const std::vector<std::string>& etiquetas) {
    std::vector<std::string> unicas;
    for (const std::string& e : etiquetas)
        if (std::find(unicas.begin(), unicas.end(), e) == unicas.end()) unicas.push_back(e);
    canalesPorEtiqueta(eeg, unicas);  // throws naming a label the branch lacks
    for (const std::string& e : unicas)
        if (std::find(eeg.canalesMalos.begin(), eeg.canalesMalos.end(), e) == eeg.canalesMalos.end())
            eeg.canalesMalos.push_back(e);
}

bool alternarCanalMalo(std::vector<std::string>& malos, const std::string& etiqueta) {
    const auto it = std::find(malos.begin(), malos.end(), etiqueta);
    if (it != malos.end()) {
        malos.erase(it);
        return false;
    }
    malos.push_back(etiqueta);
    return true;
}

std::string textoCanalesMalos(const std::vector<std::string>& malos) {
    if (malos.empty()) return "ninguno";
    std::string r;
    for (const std::string& m : malos) r += (r.empty() ? "" : ", ") + m;
    return r;
}
