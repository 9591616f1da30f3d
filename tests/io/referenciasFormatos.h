#pragma once
// Reference values of the sample recordings of other formats, written once
// by tests/data/formatos/referencias_formatos.py: rate, sample count, a few
// columns of each channel (µV) and the events (column, duration, text).

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace prueba {

struct ReferenciaFormato {
    double frecuencia = 0;
    long muestras = 0;
    std::vector<long> columnas;
    std::map<std::string, std::vector<double>> canales;  // label -> value at each column
    std::vector<std::string> orden;                      // labels in file order
    struct EventoRef {
        long columna, duracion;
        std::string texto;
    };
    std::vector<EventoRef> eventos;
};

inline std::vector<std::string> camposTab(const std::string& linea) {
    std::vector<std::string> r;
    size_t i = 0;
    for (size_t t; (t = linea.find('\t', i)) != std::string::npos; i = t + 1) r.push_back(linea.substr(i, t - i));
    r.push_back(linea.substr(i));
    return r;
}

inline ReferenciaFormato leerReferencia(const std::string& ruta) {
    ReferenciaFormato r;
    std::ifstream f(ruta);
    EXPECT_TRUE(f.good()) << ruta;
    for (std::string linea; std::getline(f, linea);) {
        const std::vector<std::string> c = camposTab(linea);
        if (c[0] == "frecuencia") r.frecuencia = std::stod(c[1]);
        if (c[0] == "muestras") r.muestras = std::stol(c[1]);
        if (c[0] == "columnas")
            for (size_t k = 1; k < c.size(); ++k) r.columnas.push_back(std::stol(c[k]));
        if (c[0] == "canal") {
            r.orden.push_back(c[1]);
            for (size_t k = 2; k < c.size(); ++k) r.canales[c[1]].push_back(std::stod(c[k]));
        }
        if (c[0] == "evento") r.eventos.push_back({std::stol(c[1]), std::stol(c[2]), c[3]});
    }
    return r;
}

}  // namespace prueba
