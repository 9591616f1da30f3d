#include "mara/modelo/geometriaCabeza.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

TablaElectrodos leerTablaElectrodos(const std::string& ruta) {
    std::ifstream f(ruta);
    if (!f) throw std::runtime_error("no se puede abrir la tabla de electrodos \"" + ruta + "\"");
    std::string linea;
    std::getline(f, linea);  // header
    TablaElectrodos t;
    std::vector<double> xyz;
    int numero = 1;
    while (std::getline(f, linea)) {
        ++numero;
        if (linea.empty()) continue;
        std::istringstream campos(linea);
        std::string etiqueta, nombre;
        double x, y, z;
        if (!(campos >> etiqueta >> nombre >> x >> y >> z))
            throw std::runtime_error("linea " + std::to_string(numero) + " mal formada en \"" + ruta + "\"");
        t.etiquetas.push_back(etiqueta);
        xyz.insert(xyz.end(), {x, y, z});
    }
    t.posiciones = arma::mat(xyz.data(), 3, t.etiquetas.size());
    return t;
}

arma::mat fuentesFibonacci(const ModeloEsferas& modelo, int N, double zMinima, double fraccion) {
    const double phi = (1.0 + std::sqrt(5.0)) / 2.0;
    const double pi = 3.14159265358979323846;
    std::vector<double> xyz;
    for (int k = 0; k < N; ++k) {
        const double z = 1.0 - 2.0 * (k + 0.5) / N;
        if (!(z > zMinima)) continue;
        const double r = std::sqrt(1.0 - z * z);
        const double az = 2.0 * pi * k / phi;
        const double escala = fraccion * modelo.radioExterior;
        xyz.insert(xyz.end(), {modelo.centro(0) + escala * r * std::cos(az), modelo.centro(1) + escala * r * std::sin(az),
                               modelo.centro(2) + escala * z});
    }
    return arma::mat(xyz.data(), 3, xyz.size() / 3);
}
