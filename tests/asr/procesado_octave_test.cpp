// The processing stage against reference outputs that core GNU Octave made by
// running the set-up and loop statements verbatim (with a fixed free-memory
// figure): tests/data/asr/procesado/generar_referencias.m.

#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "asr/ContextoASR.h"
#include "asr/procesadoASR.h"

namespace {

const std::string carpeta = ONDELAR_RAIZ "/tests/data/asr/procesado/";

arma::mat cargar(const std::string& nombre) {
    arma::mat m;
    if (!m.load(carpeta + nombre, arma::arma_binary)) throw std::runtime_error("no se pudo leer " + nombre);
    return m;
}

struct Parametros {
    int srate = 0;
    double wl = 0;
    int N = 0, P = 0, stepsize = 0;
    double maxdims = 0, memoria = 0;
    int splits = 0;
};

Parametros leerParametros(const std::string& nombre) {
    std::ifstream f(carpeta + nombre);
    Parametros p;
    f >> p.srate >> p.wl >> p.N >> p.P >> p.stepsize >> p.maxdims >> p.memoria >> p.splits;
    if (!f) throw std::runtime_error("no se pudo leer " + nombre);
    return p;
}

double diferenciaRelativa(const arma::mat& a, const arma::mat& b) {
    return arma::abs(a - b).max() / arma::abs(b).max();
}

void compararCaso(const std::string& caso, int variante) {
    const std::string prefijo = caso + "_" + std::to_string(variante);
    const Parametros p = leerParametros(prefijo + "_param.txt");
    const arma::mat datos = cargar(caso + "_datos.bin");
    const arma::mat referencia = cargar(prefijo + "_salida.bin");

    ContextoASR ctx;
    ctx.longitudVentanaProcesado = p.wl;
    ctx.solapamientoVentana = 0.66;
    ctx.M = cargar(caso + "_M.bin");
    ctx.T = cargar(caso + "_T.bin");
    ctx.B = arma::vectorise(cargar(caso + "_B.bin"));
    ctx.A = arma::vectorise(cargar(caso + "_A.bin"));
    ctx.iirstate = cargar(caso + "_iirstate.bin");

    const arma::uword C = datos.n_rows;
    EXPECT_EQ(std::round(C * 0.66), p.maxdims);
    EXPECT_EQ(numeroTrozosASR(C, datos.n_cols, p.P, p.stepsize, p.memoria), static_cast<arma::uword>(p.splits));

    const arma::mat salida = procesarASR(datos, p.srate, p.stepsize, ctx, p.memoria);
    ASSERT_EQ(salida.n_rows, referencia.n_rows);
    ASSERT_EQ(salida.n_cols, referencia.n_cols);
    const double diferencia = diferenciaRelativa(salida, referencia);
    EXPECT_LT(diferencia, 1e-9) << prefijo;
    std::printf("%s: %d trozos, diferencia relativa máxima %.1e\n", prefijo.c_str(), p.splits, diferencia);

    // The references do reconstruct something: outside the reflected prefix the
    // output differs clearly from the (finite) input in places.
    arma::mat entrada = datos.cols(0, datos.n_cols - p.P - 1);
    entrada.transform([](double v) { return std::isfinite(v) ? v : 0.0; });
    EXPECT_GT(arma::abs(referencia.cols(p.P, referencia.n_cols - 1) - entrada).max(), 1.0) << prefijo;
}

}  // namespace

TEST(ProcesadoASROctave, UnCanalUnTrozo) { compararCaso("c1", 1); }
TEST(ProcesadoASROctave, UnCanalVariosTrozos) { compararCaso("c1", 2); }
TEST(ProcesadoASROctave, OchoCanalesUnTrozo) { compararCaso("c8", 1); }
TEST(ProcesadoASROctave, OchoCanalesVariosTrozos) { compararCaso("c8", 2); }
TEST(ProcesadoASROctave, TreintaYDosCanalesUnTrozo) { compararCaso("c32", 1); }
TEST(ProcesadoASROctave, TreintaYDosCanalesVariosTrozos) { compararCaso("c32", 2); }
