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
    for (const Referencia& r : refs) {
        SCOPED_TRACE(r.tipo + " " + std::to_string(r.orden) + " " + std::to_string(r.f0) + " " + std::to_string(r.f1));
        EXPECT_LE(arma::abs(disenar(r) - r.valores).max(), 1e-12);  // a wrong length throws
    }
}

namespace {

TipoFiltro tipoDe(const std::string& nombre) {
    if (nombre == "LOW") return TipoFiltro::pasaBajos;
    if (nombre == "HIGH") return TipoFiltro::pasaAltos;
    if (nombre == "BANDPASS") return TipoFiltro::pasaBanda;
    return TipoFiltro::rechazaBanda;
}

}  // namespace

TEST(DisenarFiltroFIR, DesdeHzIgualQueFirwinConElAnchoDeTransicion) {
    // tests/data/fir/disenos_hz.txt: type, fs, A, limits, the order the rule
    // gives (worked out in Python), firwin's coefficients.
    std::ifstream entrada(ONDELAR_RAIZ "/tests/data/fir/disenos_hz.txt");
    int casos = 0;
    for (std::string linea; std::getline(entrada, linea);) {
        if (linea.empty() || linea[0] == '#') continue;
        std::istringstream campos(linea);
        std::string tipo;
        int fs = 0, a = 0, orden = 0;
        double fInf = 0.0, fSup = 0.0;
        campos >> tipo >> fs >> a >> fInf >> fSup >> orden;
        std::vector<double> b;
        for (double x; campos >> x;) b.push_back(x);
        SCOPED_TRACE(linea.substr(0, 40));
        FiltroFIR f;
        disenarFiltroFIR(f, fInf, fSup, fs, a, tipoDe(tipo));
        ASSERT_EQ(f.numeroCoeficientes, static_cast<uint32_t>(orden + 1));
        EXPECT_LE(arma::abs(f.coeficientes - arma::vec(b)).max(), 1e-12);
        ++casos;
    }
    EXPECT_EQ(casos, 14);
}

TEST(DisenarFiltroFIR, RespuestaEnFrecuenciasElegidasIgualQueLaReferencia) {
    // tests/data/fir/respuestas_hz.txt (the README's table): |H| in dB at DC,
    // half the lower edge, the edges, the centre and beyond the upper edge.
    std::ifstream entrada(ONDELAR_RAIZ "/tests/data/fir/respuestas_hz.txt");
    int casos = 0;
    for (std::string linea; std::getline(entrada, linea);) {
        if (linea.empty() || linea[0] == '#') continue;
        std::istringstream campos(linea);
        std::string tipo;
        int fs = 0, a = 0;
        double fInf = 0.0, fSup = 0.0, hz = 0.0, db = 0.0;
        campos >> tipo >> fs >> a >> fInf >> fSup >> hz >> db;
        FiltroFIR f;
        disenarFiltroFIR(f, fInf, fSup, fs, a, tipoDe(tipo));
        // 513 points from 0 to 128 Hz: 0.25 Hz steps, on which every chosen
        // frequency falls.
        const RespuestaFIR r = respuestaFIR(f.coeficientes, fs, 513);
        const arma::uvec i = arma::find(arma::abs(r.frecuenciasHz - hz) < 1e-9);
        ASSERT_EQ(i.n_elem, 1u) << hz;
        EXPECT_NEAR(r.magnitudDb(i(0)), db, 1e-8) << linea;
        ++casos;
    }
    EXPECT_EQ(casos, 30);
}

TEST(AnchoTransicionFIR, CadaBordeLimitaSegunSuRegla) {
    // 256 Hz: 1-40 -> the lower edge allows 1 Hz; 8-13 -> 2 Hz (max(2, 0.25*8));
    // 48-52 -> the band, 4 Hz; 100-120 -> the upper edge, 128 - 120 = 8 Hz.
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::pasaBanda, 1, 40, 256), 1.0);
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::rechazaBanda, 8, 13, 256), 2.0);
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::pasaBanda, 48, 52, 256), 4.0);
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::pasaBanda, 100, 120, 256), 8.0);
    // Single-edge types cut at the lower limit with that edge's rule, unless
    // the gap is narrower: high-pass 0.5 Hz -> 0.5; high-pass 8-9 -> the gap,
    // 1; low-pass 40 -> 10 (0.25 * 40); low-pass 127 -> 1 Hz left to Nyquist.
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::pasaAltos, 0.5, 40, 256), 0.5);
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::pasaAltos, 8, 9, 256), 1.0);
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::pasaBajos, 40, 60, 256), 10.0);
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::pasaBajos, 127, 127.5, 256), 0.5);
    EXPECT_EQ(anchoTransicionFIR(TipoFiltro::pasaBajos, 120, 200, 256), 8.0);
    EXPECT_EQ(limiteTransicionFIR(TipoFiltro::pasaBanda, 1, 40, 256), LimiteTransicion::inferior);
    EXPECT_EQ(limiteTransicionFIR(TipoFiltro::pasaBanda, 48, 52, 256), LimiteTransicion::separacion);
    EXPECT_EQ(limiteTransicionFIR(TipoFiltro::pasaBanda, 100, 120, 256), LimiteTransicion::superior);
    EXPECT_EQ(limiteTransicionFIR(TipoFiltro::pasaBajos, 1, 40, 256), LimiteTransicion::inferior);
    EXPECT_EQ(limiteTransicionFIR(TipoFiltro::pasaAltos, 8, 9, 256), LimiteTransicion::separacion);
    EXPECT_EQ(limiteTransicionFIR(TipoFiltro::pasaBajos, 120, 200, 256), LimiteTransicion::corteCercaDeNyquist);
    // The worked example: trunc(256 * 60 / 22) = 698, already even: 699 taps.
    EXPECT_EQ(ordenBaseFIR(TipoFiltro::pasaBanda, 1, 40, 256, 60), 698.0);
}

TEST(DisenarFiltroFIR, OrdenParYCoeficientesSegunElTipo) {
    // Every type gets an even order (an odd number of taps, with a centre).
    // 256 Hz and 60 dB: low-pass at 1 Hz, width 2: trunc(15360 / 44) = 349,
    // made 350; high-pass at 1 Hz, width 1: 698. Band types: 2-38 Hz has
    // edges allowing 2 and 9.5 Hz, so width 2: 349, made 350; 48-52 Hz keeps
    // its band, 4 Hz: trunc(15360 / 88) = 174.
    struct Caso {
        double f1, f2;
        int32_t fs;
        TipoFiltro tipo;
        arma::uword coeficientes;
        arma::vec esperado;
    };
    for (const Caso& c : std::vector<Caso>{
             {1, 40, 256, TipoFiltro::pasaBajos, 351, disenoPasaBajos(350, 1.0 / 128)},  // cut-off at the lower limit
             {1, 40, 256, TipoFiltro::pasaAltos, 699, disenoPasaAltos(698, 1.0 / 128)},
             {2, 38, 256, TipoFiltro::rechazaBanda, 351, disenoRechazaBanda(350, 2.0 / 128, 38.0 / 128)},
             {48, 52, 256, TipoFiltro::rechazaBanda, 175, disenoRechazaBanda(174, 48.0 / 128, 52.0 / 128)},
             {1, 40, 255, TipoFiltro::pasaBanda, 697, disenoPasaBanda(696, 1.0 / 127.5, 40.0 / 127.5)},  // Nyquist 127.5
         }) {
        FiltroFIR f;
        disenarFiltroFIR(f, c.f1, c.f2, c.fs, 60, c.tipo);
        EXPECT_EQ(f.numeroCoeficientes, c.coeficientes) << static_cast<int>(c.tipo) << " " << c.f1 << " " << c.f2;
        EXPECT_TRUE(arma::approx_equal(f.coeficientes, c.esperado, "absdiff", 0.0)) << static_cast<int>(c.tipo);
    }
    EXPECT_TRUE(arma::approx_equal(disenoPasaBajos(0, 0.3), arma::vec{1.0}, "absdiff", 0.0));  // order 0: one tap
    EXPECT_TRUE(ventanaHamming(0).is_empty());
    EXPECT_TRUE(arma::approx_equal(ventanaHamming(1), arma::vec{1.0}, "absdiff", 0.0));  // not 0 / 0
}

TEST(DisenarFiltroFIR, PasaAltosDeMedioHercioQuitaLoQueHayDebajo) {
    // The natural input, whatever the upper limit: at least 20 dB down at
    // 0.25 Hz (the response in respuestas_hz.txt gives 33.5 dB).
    for (const double sup : {1.0, 40.0, 100.0}) {
        FiltroFIR f;
        disenarFiltroFIR(f, 0.5, sup, 256, 60, TipoFiltro::pasaAltos);
        const arma::vec db = respuestaFIREn(f.coeficientes, 256, arma::vec{0.25, 0.5, 2.0, 40.0});
        EXPECT_LE(db(0), -20.0) << sup;
        EXPECT_NEAR(db(1), -6.0, 0.1) << sup;  // the cut-off: half the amplitude
        EXPECT_NEAR(db(2), 0.0, 0.01) << sup;
    }
}

TEST(DisenarFiltroFIR, TipoDesconocidoSeRechazaSinFiltroVacio) {
    FiltroFIR f;
    prepararFiltroFIR(f, arma::vec{1.0, 2.0});
    EXPECT_THROW(disenarFiltroFIR(f, 1.0, 40.0, 256, 60, static_cast<TipoFiltro>(7)), std::invalid_argument);
    EXPECT_EQ(f.numeroCoeficientes, 2u);  // left as it was
    EXPECT_THROW(anchoTransicionFIR(static_cast<TipoFiltro>(-1), 1.0, 40.0, 256), std::invalid_argument);
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
             {[&] { disenarFiltroFIR(f, 10.0, 10.0, 256, 60, TipoFiltro::pasaBanda); }, 659, bordes},
             {[&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, TipoFiltro::pasaBanda); }, 659, bordes},
             {[&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, TipoFiltro::rechazaBanda); }, 692, bordes},
             // gap -39: trunc(-17.9) = -17, odd; "made even" leaves it (remainder -1).
             {[&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, TipoFiltro::pasaAltos); }, 630, ordenPar},
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
             [&] { disenarFiltroFIR(f, 10.0, 10.0, 256, 60, TipoFiltro::pasaBajos); },       // infinite order
             [&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, TipoFiltro::pasaBajos); },        // negative order
             [&] { disenarFiltroFIR(f, 1.0, 1.001, 1 << 20, 99, TipoFiltro::pasaAltos); },  // huge order
             [&] { disenarFiltroFIR(f, 1.0, 40.0, 0, 60, TipoFiltro::pasaBajos); },
             [&] { disenarFiltroFIR(f, std::nan(""), 40.0, 256, 60, TipoFiltro::pasaBajos); },
             [&] {  // an empty filter says so instead of writing past its state
                 FiltroFIR vacio;
                 filtrarFIR(vacio, arma::vec{1.0, 2.0});
             },
         })
        EXPECT_THROW(disenar(), std::invalid_argument);
}
