#include "app/leerCED.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <locale>
#include <sstream>
#include <vector>

#include "io/diagnostico.h"

namespace {

bool esLineaEnBlanco(const std::string& linea) {
    return linea.find_first_not_of(" \t\r\n\v\f") == std::string::npos;
}

// One channel line: label and x, y, z; false when the line lacks them.
bool analizarLineaCanal(const std::string& linea, std::string& etiqueta, std::array<double, 3>& xyz) {
    std::istringstream s(linea);
    s.imbue(std::locale::classic());  // decimal point whatever the program's locale
    std::string numero, tipo, theta, radio;
    if (!(s >> numero >> etiqueta)) return false;
    // The tab after the label; a second tab right after it means the type
    // column is empty, anything else is the type.
    s.get();
    if (s.peek() != '\t' && !(s >> tipo)) return false;
    if (!(s >> theta >> radio)) return false;
    return static_cast<bool>(s >> xyz[0] >> xyz[1] >> xyz[2]);
}

}  // namespace

ResultadoCED leerCED(EEG& eeg, std::string ruta) {
    ResultadoCED resultado;
    std::ifstream archivo(ruta, std::ios::binary);
    if (!archivo) {
        diagnostico("fallo al abrir el archivo");
        return resultado;
    }
    return leerCED(eeg, archivo);
}

ResultadoCED leerCED(EEG& eeg, std::istream& archivo) {
    ResultadoCED resultado;
    resultado.abierto = true;
    std::string linea;
    std::getline(archivo, linea);  // header

    std::vector<Canal>& canales = *eeg.canales;
    const size_t n = std::min<size_t>(eeg.numeroCanales, canales.size());
    for (size_t i = 0; i < n; ++i) {
        bool hayLinea = false;
        while (std::getline(archivo, linea))
            if (!esLineaEnBlanco(linea)) {
                hayLinea = true;
                break;
            }
        std::string etiqueta;
        std::array<double, 3> xyz{};
        if (!hayLinea || !analizarLineaCanal(linea, etiqueta, xyz)) break;
        canales[i].etiqueta = etiqueta;
        canales[i].localizacion = xyz;
        ++resultado.canalesLeidos;
    }
    return resultado;
}
