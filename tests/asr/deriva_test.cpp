// Drift removal against GNU Octave running the statements verbatim
// (tests/data/asr/generar_referencias.m), with its pchip interpolation and
// its two convolution paths.
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "asr/eliminarDeriva.h"
#include "asr/pchip.h"
#include "referencias.h"

TEST(Pchip, IgualQueInterp1DeOctave) {
    const arma::vec xi = cargarReferencia("pchip_xi.bin");
    EXPECT_LT(errorRelativo(interpolarPchip(cargarReferencia("pchip_x.bin"), cargarReferencia("pchip_y.bin"), xi),
                            cargarReferencia("pchip_yi.bin")),
              1e-14);
    // Two points give a straight line.
    EXPECT_LT(errorRelativo(interpolarPchip({1.0, 3.0}, {2.0, -2.0}, xi), cargarReferencia("pchip2_yi.bin")), 1e-14);
    EXPECT_THROW(interpolarPchip({0, 1, 1}, {0, 1, 2}, {0.5}), std::invalid_argument);
    EXPECT_THROW(interpolarPchip({0}, {0}, {0.5}), std::invalid_argument);
    EXPECT_THROW(interpolarPchip({0, 1}, {0}, {0.5}), std::invalid_argument);
}

TEST(EliminarDeriva, NucleoIgualQueOctave) {
    for (auto [srate, n] : {std::pair<int32_t, arma::uword>{100, 503}, {250, 1257}, {256, 1287}, {500, 2511}}) {
        const arma::vec b = nucleoDeriva(srate);
        EXPECT_EQ(b.n_elem, n);
        EXPECT_LT(errorRelativo(b, cargarReferencia("nucleo_" + std::to_string(srate) + ".bin")), 1e-12) << srate;
    }
    EXPECT_THROW(nucleoDeriva(1), std::invalid_argument);
    EXPECT_THROW(nucleoDeriva(0), std::invalid_argument);
}

TEST(EliminarDeriva, IgualQueOctavePorLosDosCaminos) {
    // Several channels at four rates, one channel, and recordings shorter than
    // the kernel (300 samples against 1287 taps, 7 against 503: the reflections wrap).
    for (const auto& [caso, srate] : std::vector<std::pair<std::string, int32_t>>{
             {"deriva_100", 100}, {"deriva_250", 250}, {"deriva_256", 256}, {"deriva_500", 500},
             {"deriva_256_1canal", 256}, {"deriva_256_corta", 256}, {"deriva_100_minima", 100}}) {
        const arma::mat entrada = cargarReferencia(caso + "_entrada.bin");
        const arma::mat esperada = cargarReferencia(caso + "_salida.bin");
        for (MetodoConvolucion metodo : {MetodoConvolucion::automatico, MetodoConvolucion::directo, MetodoConvolucion::fft})
            EXPECT_LT(errorRelativo(eliminarDeriva(entrada, srate, metodo), esperada), 1e-10)
                << caso << " método " << static_cast<int>(metodo);
    }
    EXPECT_EQ(eliminarDeriva(arma::mat(0, 100), 256).n_rows, 0u);
    EXPECT_EQ(eliminarDeriva(arma::mat(3, 0), 256).n_cols, 0u);
}

TEST(EliminarDeriva, RegistroDerivadoYContexto) {
    const arma::mat entrada = cargarReferencia("deriva_256_entrada.bin").rows(0, 1);
    EEG eeg(256, 2, static_cast<int64_t>(entrada.n_cols));
    eeg.matrices[0] = entrada;
    const EEG filtrado = eliminarDeriva(eeg);
    EXPECT_LT(errorRelativo(filtrado.datos(), cargarReferencia("deriva_256_salida.bin").rows(0, 1)), 1e-10);
    ContextoASR ctx(eeg, OpcionesASR{});
    eliminarDeriva(ctx);
    EXPECT_TRUE(arma::approx_equal(ctx.trabajo.datos(), filtrado.datos(), "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(eeg.datos(), entrada, "absdiff", 0.0));  // the input is untouched
    ContextoASR vacio;
    EXPECT_THROW(eliminarDeriva(vacio), std::invalid_argument);
    EXPECT_THROW(eliminarDeriva(EEG()), std::invalid_argument);
}
