// Epochs, baseline and peak-to-peak rejection against MNE-Python's Epochs on
// the two sample recordings, and the marking rules on a hand-made set
// against a short numpy version (tests/data/epocas, tests/data/rechazo).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "averaging/epocas.h"
#include "averaging/promediado.h"
#include "filtering/filtroFrecuencial.h"
#include "io/cargarRegistro.h"
#include "io/guardarRama.h"

namespace {

const std::string datos = ONDELAR_RAIZ "/tests/data/";

std::vector<std::vector<double>> leerFilas(const std::string& ruta) {
    std::ifstream f(ruta);
    std::vector<std::vector<double>> filas;
    std::string linea;
    while (std::getline(f, linea)) {
        std::istringstream s(linea);
        std::vector<double> fila;
        for (double v; s >> v;) fila.push_back(v);
        if (!fila.empty()) filas.push_back(fila);
    }
    return filas;
}

void cerca(double a, double b, const std::string& que) {
    EXPECT_NEAR(a, b, 1e-9 * std::max(1.0, std::abs(b))) << que;
}

// Each epoch and channel against "epoca canal media desviacion primera ultima cero".
void compararEpocas(const EEG& rama, const std::string& referencia) {
    const auto filas = leerFilas(referencia);
    const auto W = static_cast<arma::uword>(rama.epocas->ancho);
    ASSERT_EQ(filas.size(), rama.epocas->numero() * rama.numeroCanales) << referencia;
    for (const auto& f : filas) {
        const auto e = static_cast<arma::uword>(f[0]), c = static_cast<arma::uword>(f[1]);
        const arma::rowvec v = rama.datos()(c, arma::span(e * W, (e + 1) * W - 1));
        const std::string que = referencia + " época " + std::to_string(e) + " canal " + std::to_string(c);
        cerca(arma::mean(v), f[2], que);
        cerca(arma::stddev(v, 1), f[3], que);
        cerca(v(0), f[4], que);
        cerca(v(W - 1), f[5], que);
        cerca(v(static_cast<arma::uword>(rama.epocas->pre)), f[6], que);
    }
}

struct Caso {
    const char* nombre;
    const char* archivo;
    double msPrev, msPost, base1, base2;
};

class ComoMNE : public ::testing::TestWithParam<Caso> {};

TEST_P(ComoMNE, CorteLineaBaseRechazoYPromedioPorTipo) {
    const Caso& k = GetParam();
    const EEG registro = cargarRegistro(ONDELAR_RAIZ "/../shared/data/" + std::string(k.archivo));
    const std::string ref = datos + "epocas/" + k.nombre;
    std::vector<std::string> avisos;
    const std::vector<TipoEvento> tipos = {{1, 1}, {2, 1}};
    const EEG epocas = cortarEpocas(registro, tipos, k.msPrev, k.msPost, avisos);
    EXPECT_TRUE(avisos.empty());
    compararEpocas(epocas, ref + "_corte.txt");
    // Each epoch remembers its event, which is its zero in the branch too.
    for (std::size_t e = 0; e < epocas.epocas->numero(); ++e) {
        const Evento& ev = epocas.tablaEventos->eventos[e];
        EXPECT_EQ(ev.posicion, int64_t(e) * epocas.epocas->ancho + epocas.epocas->pre);
        EXPECT_EQ((TipoEvento{ev.tipo, ev.calificador}), epocas.epocas->tipos[e]);
    }

    const EEG base = restarLineaBase(epocas, k.base1, k.base2);
    compararEpocas(base, ref + "_lineabase.txt");

    const auto rechazo = leerFilas(ref + "_rechazo.txt");
    OpcionesRechazo o;
    o.picoAPico = rechazo[0][0];
    const auto marcas = marcarEpocas(base, o);
    std::vector<double> conservadas;
    std::vector<bool> quitar;
    for (std::size_t e = 0; e < marcas.size(); ++e) {
        quitar.push_back(!marcas[e].empty());
        if (marcas[e].empty()) conservadas.push_back(double(e));
    }
    std::vector<double> esperadas;
    for (std::size_t i = 1; i < rechazo.size(); ++i) esperadas.push_back(rechazo[i][0]);
    EXPECT_EQ(conservadas, esperadas);

    const EEG promedio = promediarPorTipo(quitarEpocas(base, quitar), tipos);
    const auto W = static_cast<arma::uword>(promedio.epocas->ancho);
    for (const auto& f : leerFilas(ref + "_promedio.txt")) {
        const arma::uword t = f[0] == 1 ? 0 : 1, c = static_cast<arma::uword>(f[1]);
        const arma::rowvec v = promedio.datos()(c, arma::span(t * W, (t + 1) * W - 1));
        const std::string que = std::string(k.nombre) + " promedio " + std::to_string(t) + " canal " + std::to_string(c);
        cerca(arma::mean(v), f[2], que);
        cerca(arma::stddev(v, 1), f[3], que);
        cerca(v.min(), f[4], que);
        cerca(v.max(), f[5], que);
        cerca(v(static_cast<arma::uword>(promedio.epocas->pre)), f[6], que);
    }
    EXPECT_EQ(promedio.epocas->promediadas[0] + promedio.epocas->promediadas[1], int64_t(esperadas.size()));
}

INSTANTIATE_TEST_SUITE_P(Muestras, ComoMNE,
                         ::testing::Values(Caso{"p300", "p300_8ch.gdf", 200, 800, -200, 0},
                                           Caso{"motor", "motor_64ch.dat", 1000, 4000, -500, 0}));

// Three channels of 1000 samples at 100 Hz; events at 5, 300, 600 and 980.
EEG registroCorto() {
    EEG e(100, 3, 1000);
    e.matrices[0].row(0) = arma::regspace<arma::rowvec>(0, 999);
    e.matrices[0].row(2).fill(7.0);
    e.tablaEventos = std::make_shared<TablaEventos>();
    for (const int p : {5, 300, 600, 980}) fijarEvento(*e.tablaEventos, Evento{1, p, 1}, int32_t(e.tablaEventos->eventos.size()));
    return e;
}

TEST(Epocas, LasQueNoCabenSeOmitenConAvisoYElRestoQuedaEnSuSitio) {
    std::vector<std::string> avisos;
    const EEG r = cortarEpocas(registroCorto(), {{1, 1}}, 200, 800, avisos);
    ASSERT_EQ(r.epocas->numero(), 2u);  // 5 starts too early, 980 ends too late
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_NE(avisos[0].find("2 épocas"), std::string::npos) << avisos[0];
    EXPECT_NE(avisos[0].find("muestra 980"), std::string::npos) << avisos[0];
    // -200 ms to 800 ms at 100 Hz: 20 + 1 + 80 samples; the ramp gives each sample's source index.
    EXPECT_EQ(r.epocas->ancho, 101);
    EXPECT_EQ(r.datos()(0, 20), 300.0);
    EXPECT_EQ(r.datos()(0, 101 + 20), 600.0);
    EXPECT_EQ(r.epocas->posicionesOrigen, (std::vector<int64_t>{300, 600}));
    // A silent channel stays silent and a constant one keeps its value.
    EXPECT_EQ(arma::abs(r.datos().row(1)).max(), 0.0);
    EXPECT_EQ(r.datos().row(2).min(), 7.0);

    // The baseline of -200..0 ms on the ramp is the mean of source samples
    // 280..300, 290: the event's sample becomes +10 µV, the constant 0.
    const EEG b = restarLineaBase(r, -200, 0);
    EXPECT_DOUBLE_EQ(b.datos()(0, 20), 10.0);
    EXPECT_DOUBLE_EQ(b.datos()(0, 101 + 20), 10.0);
    EXPECT_EQ(arma::abs(b.datos().row(2)).max(), 0.0);

    // Saved as CSV in long form: epoch, kind, seconds from the event, channels.
    const std::filesystem::path csv = std::filesystem::temp_directory_path() / "ondelar_epocas_prueba.csv";
    guardarRama(r, csv.string());
    std::ifstream f(csv);
    std::string cabecera, primera;
    std::getline(f, cabecera);
    std::getline(f, primera);
    EXPECT_EQ(cabecera, "\"epoca\",\"tipo\",\"tiempo\",\"canal1\",\"canal2\",\"canal3\"");
    EXPECT_EQ(primera, "1,1.1,-0.20000000000000001,280,0,7");
    std::filesystem::remove(csv);

    EXPECT_THROW(cortarEpocas(registroCorto(), {{3, 1}}, 200, 800, avisos), std::invalid_argument);
    EXPECT_THROW(cortarEpocas(registroCorto(), {{1, 1}}, 9000, 9000, avisos), std::invalid_argument);
    EXPECT_THROW(cortarEpocas(r, {{1, 1}}, 200, 800, avisos), std::invalid_argument);
    EXPECT_THROW(restarLineaBase(registroCorto(), -200, 0), std::invalid_argument);
    EXPECT_THROW(restarLineaBase(r, 900, 1000), std::invalid_argument);
}

TEST(Epocas, ElFiltroTrataCadaEpocaPorSeparado) {
    // Three epochs of 2 s at 100 Hz; a burst only in the middle one.
    EEG e(100, 1, 600);
    e.matrices[0](0, arma::span(250, 350)).fill(50.0);
    auto epocas = std::make_shared<Epocas>();
    epocas->pre = 100;
    epocas->post = 99;
    epocas->ancho = 200;
    epocas->posicionesOrigen = {1000, 2000, 3000};
    epocas->tipos = {{1, 1}, {1, 1}, {1, 1}};
    e.epocas = epocas;
    const OpcionesFiltro o{TipoFiltro::pasaBanda, 1, 20, 40};
    const EEG f = filtrarEEG(e, o);
    // The quiet epochs stay exactly 0: nothing of the burst leaks across.
    EXPECT_EQ(arma::abs(f.datos().cols(0, 199)).max(), 0.0);
    EXPECT_EQ(arma::abs(f.datos().cols(400, 599)).max(), 0.0);
    // The middle one is that epoch filtered alone, as a recording of its own.
    const EEG sola = filtrarEEG(derivarEEG(EEG(100, 1, 200), e.datos().cols(200, 399)), o);
    EXPECT_TRUE(arma::approx_equal(f.datos().cols(200, 399), sola.datos(), "absdiff", 1e-12));
    EXPECT_GT(arma::abs(f.datos().cols(200, 399)).max(), 10.0);
}

// The hand-made set: 100 epochs x 3 channels x 128 samples, epoch-major.
EEG conjuntoRechazo() {
    std::ifstream f(datos + "rechazo/epocas.bin", std::ios::binary);
    std::vector<float> v(100 * 3 * 128);
    f.read(reinterpret_cast<char*>(v.data()), std::streamsize(v.size() * sizeof(float)));
    EEG e(100, 3, 100 * 128);
    for (arma::uword ep = 0; ep < 100; ++ep)
        for (arma::uword c = 0; c < 3; ++c)
            for (arma::uword j = 0; j < 128; ++j) e.matrices[0](c, ep * 128 + j) = v[(ep * 3 + c) * 128 + j];
    (*e.canales)[0].etiqueta = "Fp1";
    (*e.canales)[1].etiqueta = "Cz";
    (*e.canales)[2].etiqueta = "Oz";
    auto epocas = std::make_shared<Epocas>();
    epocas->pre = 20;
    epocas->post = 107;
    epocas->ancho = 128;
    for (int ep = 0; ep < 100; ++ep) {
        epocas->posicionesOrigen.push_back(1000 * ep);
        epocas->tipos.emplace_back(1, 1);
    }
    e.epocas = epocas;
    return e;
}

TEST(Rechazo, ProbabilidadYCurtosisComoLaReferenciaYCadaMalaMarcada) {
    const EEG e = conjuntoRechazo();
    const arma::mat prob = puntuacionesProbabilidad(e), curt = curtosisEpocas(e);
    const auto refProb = leerFilas(datos + "rechazo/probabilidad.txt");
    const auto refCurt = leerFilas(datos + "rechazo/curtosis.txt");
    for (arma::uword c = 0; c < 3; ++c)
        for (arma::uword ep = 0; ep < 100; ++ep) {
            cerca(prob(c, ep), refProb[c][ep], "probabilidad");
            cerca(curt(c, ep), refCurt[c][ep], "curtosis");
        }

    auto marcadas = [&](const OpcionesRechazo& o) {
        std::vector<std::pair<int, std::string>> r;
        const auto m = marcarEpocas(e, o);
        for (std::size_t ep = 0; ep < m.size(); ++ep)
            for (const MotivoRechazo& x : m[ep]) r.emplace_back(int(ep), x.regla + ":" + x.canal);
        return r;
    };
    OpcionesRechazo prob5;
    prob5.probabilidad = 5;
    OpcionesRechazo curt5;
    curt5.curtosis = 5;
    using M = std::vector<std::pair<int, std::string>>;
    // The jump on Cz and the flat epoch are improbable; the blink on Fp1,
    // the flat epoch and the spike on Oz have kurtosis far from the others.
    EXPECT_EQ(marcadas(prob5), (M{{12, "prob:Cz"}, {20, "prob:Fp1"}, {20, "prob:Cz"}, {20, "prob:Oz"}, {20, "prob:global"}}));
    EXPECT_EQ(marcadas(curt5), (M{{7, "curt:Fp1"}, {20, "curt:Cz"}, {33, "curt:Oz"}, {33, "curt:global"}}));

    OpcionesRechazo todo = prob5;
    todo.curtosis = 5;
    todo.picoAPico = 150;
    const auto m = marcarEpocas(e, todo);
    std::vector<bool> quitar(m.size());
    for (std::size_t i = 0; i < m.size(); ++i) quitar[i] = !m[i].empty();
    const EEG limpia = quitarEpocas(e, quitar);
    EXPECT_EQ(limpia.epocas->numero(), 100u - std::count(quitar.begin(), quitar.end(), true));
    EXPECT_TRUE(quitar[7] && quitar[12] && quitar[20] && quitar[33]);
    const std::string csv = informeRechazoCSV(e, m);
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "epoca,tipo,muestra_origen,marcada,motivos");
    EXPECT_NE(csv.find("\n13,1.1,12000,1,\"pp:Cz;prob:Cz\"\n"), std::string::npos) << csv.substr(0, 400);
    EXPECT_NE(csv.find("\n1,1.1,0,0,\"\"\n"), std::string::npos);
}

}  // namespace
