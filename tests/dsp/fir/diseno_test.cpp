// Designs against scipy.signal.firwin references (tests/data/fir/, made by
// generar_referencias.py there), the worked example, and the design checks
// that report and throw instead of ending the program.
#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/fir/fir.h"
#include "tests/io/capturas.h"

namespace {

struct Referencia {
    std::string tipo;
    int orden = 0;
    double f0 = 0.0, f1 = 0.0;
    arma::vec valores;
};

// One design a line: type, order, edges (none for a window), the values.
std::vector<Referencia> leerReferencias() {
    std::ifstream entrada(ONDELAR_RAIZ "/tests/data/fir/referencias_firwin.txt");
    std::vector<Referencia> refs;
    for (std::string linea; std::getline(entrada, linea);) {
        if (linea.empty() || linea[0] == '#') continue;
        std::istringstream campos(linea);
        Referencia& r = refs.emplace_back();
        campos >> r.tipo >> r.orden;
        if (r.tipo != "VENTANA") campos >> r.f0 >> r.f1;
        std::vector<double> v;
        for (double x; campos >> x;) v.push_back(x);
        r.valores = arma::vec(v);
    }
    return refs;
}

arma::vec disenar(const Referencia& r) {
    if (r.tipo == "VENTANA") return ventanaHamming(static_cast<arma::uword>(r.orden));
    if (r.tipo == "LOW") return disenoPasaBajos(r.orden, r.f0);
    if (r.tipo == "HIGH") return disenoPasaAltos(r.orden, r.f0);
    if (r.tipo == "BANDPASS") return disenoPasaBanda(r.orden, r.f0, r.f1);
    return disenoRechazaBanda(r.orden, r.f0, r.f1);
}

const std::string ordenPar = "Filter order must be even";
const std::string bordes = "Frequencies must be [0 < f0 < f1 < 1]";

}  // namespace

TEST(DisenoFIR, VentanasYDisenosIgualQueFirwinA1e12) {
    const std::vector<Referencia> refs = leerReferencias();
    ASSERT_EQ(refs.size(), 25u) << "no se pudo leer tests/data/fir/referencias_firwin.txt";
    int ejemplo = 0;
    for (const Referencia& r : refs) {
        SCOPED_TRACE(r.tipo + " " + std::to_string(r.orden) + " " + std::to_string(r.f0) + " " + std::to_string(r.f1));
        EXPECT_LE(arma::abs(disenar(r) - r.valores).max(), 1e-12);  // a wrong length throws
        if (r.f0 != 1.0 / 128.0) continue;
        // The worked example from Hz through the design-and-set-up: 256 Hz, 60 dB, 1 to 40 Hz.
        FiltroFIR f;
        disenarFiltroFIR(f, 1.0, 40.0, 256, 60, r.tipo);
        EXPECT_LE(arma::abs(f.coeficientes - r.valores).max(), 1e-12);
        ++ejemplo;
    }
    EXPECT_EQ(ejemplo, 4);
}

TEST(DisenarFiltroFIR, OrdenYCoeficientesSegunElTipo) {
    // M0 = trunc(fs A / (22 gap)); band filters make it even, low-pass odd; 256 Hz and 60 dB:
    // gap 39: 17 (the worked example); gap 40: 17; gap 36: 19; gap 38: 18.
    EXPECT_EQ(ordenBaseFIR(1.0, 40.0, 256, 60), 17.0);
    struct Caso {
        double f1, f2;
        int32_t fs;
        const char* tipo;
        arma::uword coeficientes;
        arma::vec esperado;
    };
    for (const Caso& c : std::vector<Caso>{
             {1, 40, 256, "BANDPASS", 19, disenoPasaBanda(18, 1.0 / 128, 40.0 / 128)},
             {1, 40, 256, "LOW", 18, disenoPasaBajos(17, 1.0 / 128)},  // cut-off at the lower limit
             {1, 40, 256, "high", 19, disenoPasaAltos(18, 1.0 / 128)},  // the name in any case
             {2, 42, 256, "Low", 18, disenoPasaBajos(17, 2.0 / 128)},
             {2, 38, 256, "bandstop", 21, disenoRechazaBanda(20, 2.0 / 128, 38.0 / 128)},
             {2, 40, 256, "LOW", 18, disenoPasaBajos(17, 2.0 / 128)},
             {1, 40, 255, "BANDPASS", 19, disenoPasaBanda(18, 1.0 / 127.5, 40.0 / 127.5)},  // Nyquist 127.5, not 127
             {1, 40, 256, "BANDPASS ", 0, arma::vec()},  // an unknown name gives an empty filter
             {1, 40, 256, "", 0, arma::vec()},
         }) {
        FiltroFIR f;
        disenarFiltroFIR(f, c.f1, c.f2, c.fs, 60, c.tipo);
        EXPECT_EQ(f.numeroCoeficientes, c.coeficientes) << c.tipo << " " << c.f1 << " " << c.f2;
        EXPECT_TRUE(arma::approx_equal(f.coeficientes, c.esperado, "absdiff", 0.0)) << c.tipo;
    }
    EXPECT_TRUE(arma::approx_equal(disenoPasaBajos(0, 0.3), arma::vec{1.0}, "absdiff", 0.0));  // order 0: one tap
    EXPECT_TRUE(ventanaHamming(0).is_empty());
    EXPECT_TRUE(arma::approx_equal(ventanaHamming(1), arma::vec{1.0}, "absdiff", 0.0));  // not 0 / 0
}

TEST(DisenarFiltroFIR, ErroresDeDisenoSeInformanYLanzan) {
    FiltroFIR f;
    struct Caso {
        std::function<void()> disenar;
        int linea;
        std::string mensaje;
    };
    for (const Caso& c : std::vector<Caso>{
             {[] { disenoPasaAltos(17, 0.1); }, 630, ordenPar},
             {[] { disenoPasaBanda(18, 0.3, 0.3); }, 659, bordes},
             {[] { disenoPasaBanda(18, 0.4, 0.3); }, 659, bordes},
             {[] { disenoRechazaBanda(17, 0.4, 0.3); }, 690, ordenPar},  // the order is checked first
             {[] { disenoRechazaBanda(18, 0.4, 0.3); }, 692, bordes},
             {[&] { disenarFiltroFIR(f, 10.0, 10.0, 256, 60, "BANDPASS"); }, 659, bordes},
             {[&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, "bandpass"); }, 659, bordes},
             {[&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, "BANDSTOP"); }, 692, bordes},
             // gap -39: trunc(-17.9) = -17, odd; "made even" leaves it (remainder -1).
             {[&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, "HIGH"); }, 630, ordenPar},
         }) {
        const std::string esperado = "FIR Error [dsp/fir/disenoFIR.cpp@" + std::to_string(c.linea) + "]: " + c.mensaje;
        const prueba::Captura r = prueba::capturar([&] {
            try {
                c.disenar();
            } catch (const ErrorDisenoFIR& e) {
                EXPECT_EQ(e.lineaInforme(), esperado);
                throw;
            }
        });
        EXPECT_EQ(r.salida, esperado + "\n");
        EXPECT_FALSE(r.excepcion.empty()) << "no se lanzó ErrorDisenoFIR: " << esperado;
    }
    // The user reads the Spanish text, with the values.
    const std::string texto = prueba::capturar([] { disenoPasaBanda(18, 0.3, 0.25); }).excepcion;
    EXPECT_NE(texto.find("deben cumplir 0 < f0 < f1 < 1 (f0 = 0.3, f1 = 0.25)"), std::string::npos) << texto;
}

TEST(DisenarFiltroFIR, ParametrosSinFiltroPosibleSeRechazan) {
    FiltroFIR f;
    for (const auto& disenar : std::vector<std::function<void()>>{
             [] { disenoPasaBajos(-1, 0.2); }, [] { disenoPasaBanda(-2, 0.1, 0.2); }, [] { disenoPasaBajos(ordenMaximoFIR + 1, 0.2); },
             [] { disenoPasaBajos(17, 0.0); },  // every coefficient 0: no gain to normalise by
             [&] { disenarFiltroFIR(f, 10.0, 10.0, 256, 60, "LOW"); },          // infinite order
             [&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, "LOW"); },           // negative order
             [&] { disenarFiltroFIR(f, 1.0, 1.001, 1 << 20, 99, "HIGH"); },     // huge order
             [&] { disenarFiltroFIR(f, 1.0, 40.0, 0, 60, "LOW"); }, [&] { disenarFiltroFIR(f, std::nan(""), 40.0, 256, 60, "LOW"); },
             [&] {  // an empty filter says so instead of writing past its state
                 disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "");
                 filtrarFIR(f, arma::vec{1.0, 2.0});
             },
         })
        EXPECT_THROW(disenar(), std::invalid_argument);
}
