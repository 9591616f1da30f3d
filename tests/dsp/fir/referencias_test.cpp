// Designs against scipy.signal.firwin references (tests/data/fir/, made by
// generar_referencias.py there): the same windowed-sinc filters with the same
// normalisations, to 1e-12.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/fir/fir.h"

namespace {

struct Referencia {
    std::string tipo;
    int orden = 0;
    double f0 = 0.0, f1 = 0.0;
    arma::vec valores;
};

std::vector<Referencia> leerReferencias() {
    std::ifstream entrada(ONDELAR_RAIZ "/tests/data/fir/referencias_firwin.txt");
    std::vector<Referencia> refs;
    std::string linea;
    while (std::getline(entrada, linea)) {
        if (linea.empty() || linea[0] == '#') continue;
        std::istringstream campos(linea);
        Referencia r;
        campos >> r.tipo >> r.orden;
        if (r.tipo != "VENTANA") campos >> r.f0 >> r.f1;
        std::vector<double> v;
        double x;
        while (campos >> x) v.push_back(x);
        r.valores = arma::vec(v);
        refs.push_back(r);
    }
    return refs;
}

arma::vec disenar(const Referencia& r) {
    if (r.tipo == "LOW") return disenoPasaBajos(r.orden, r.f0);
    if (r.tipo == "HIGH") return disenoPasaAltos(r.orden, r.f0);
    if (r.tipo == "BANDPASS") return disenoPasaBanda(r.orden, r.f0, r.f1);
    if (r.tipo == "BANDSTOP") return disenoRechazaBanda(r.orden, r.f0, r.f1);
    ADD_FAILURE() << "tipo desconocido " << r.tipo;
    return arma::vec();
}

}  // namespace

TEST(ReferenciasFirwin, VentanasYDisenosCoincidenA1e12) {
    const std::vector<Referencia> refs = leerReferencias();
    ASSERT_GE(refs.size(), 25u) << "no se pudo leer tests/data/fir/referencias_firwin.txt";
    int ventanas = 0, disenos = 0;
    for (const Referencia& r : refs) {
        SCOPED_TRACE(r.tipo + " " + std::to_string(r.orden) + " " + std::to_string(r.f0) + " " +
                     std::to_string(r.f1));
        if (r.tipo == "VENTANA") {
            const arma::vec w = ventanaHamming(static_cast<arma::uword>(r.orden));
            ASSERT_EQ(w.n_elem, r.valores.n_elem);
            EXPECT_LE(arma::abs(w - r.valores).max(), 1e-12);
            ++ventanas;
            continue;
        }
        const arma::vec b = disenar(r);
        ASSERT_EQ(b.n_elem, static_cast<arma::uword>(r.orden) + 1);
        ASSERT_EQ(r.valores.n_elem, b.n_elem);
        EXPECT_LE(arma::abs(b - r.valores).max(), 1e-12);
        ++disenos;
    }
    EXPECT_EQ(ventanas, 5);
    EXPECT_EQ(disenos, 20);
}

TEST(ReferenciasFirwin, EjemploResueltoDesdeHz) {
    // The worked example through the design-and-set-up, against the references
    // for order 18 (band-pass) and 17 (low-pass) with edges 1/128 and 40/128.
    const std::vector<Referencia> refs = leerReferencias();
    int comparados = 0;
    for (const Referencia& r : refs) {
        if (r.f0 != 1.0 / 128.0) continue;
        FiltroFIR f;
        disenarFiltroFIR(f, 1.0, 40.0, 256, 60, r.tipo);
        ASSERT_EQ(f.coeficientes.n_elem, r.valores.n_elem) << r.tipo;
        EXPECT_LE(arma::abs(f.coeficientes - r.valores).max(), 1e-12) << r.tipo;
        ++comparados;
    }
    EXPECT_EQ(comparados, 4);
}
