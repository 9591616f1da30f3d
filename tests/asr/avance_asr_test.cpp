// Progress and cancellation of an ASR run, and the throttling of the reports
// an Avance passes on.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "asr/ejecutarASR.h"
#include "io/progreso.h"
#include "tests/comun/registroAvance.h"

using namespace prueba;

namespace {

// 8 channels x 90 s at 128 Hz of noise with slow drifts and a few bursts, so
// that every stage has work; memory set so that processing runs in 4 chunks.
EEG registroASR() {
    const int32_t srate = 128;
    const arma::uword S = 90 * srate;
    arma::arma_rng::set_seed(17);
    EEG eeg(srate, 8, static_cast<int64_t>(S));
    arma::mat d(8, S, arma::fill::randn);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, S - 1) / srate;
    for (arma::uword c = 0; c < 8; ++c) d.row(c) += 5.0 * arma::sin(2 * M_PI * 0.05 * t + c);
    for (arma::uword k = 0; k < 4; ++k) d.cols(k * 20 * srate + 300, k * 20 * srate + 300 + srate / 2) *= 15.0;
    eeg.matrices[0] = d;
    return eeg;
}

double memoriaCuatroTrozos(const EEG& eeg) {
    // Inverts the chunk rule of numeroTrozosASR for C = 8 and about S / 4.
    const double C = 8, S = static_cast<double>(eeg.numeroMuestras), P = 32, paso = 32;
    const double numerador = C * C * S * 64 + C * C * 8 * S / paso + C * S * 16 + S * 40;
    return 2 * (numerador / 3.5 + C * C * P * 24);
}

}  // namespace

// The window's dialog shows the stage names: each stage reports under its own.
TEST(AvanceASR, ConInformeElResultadoEsIdenticoYCadaEtapaSeNombraHastaUno) {
    const EEG eeg = registroASR();
    const double memoria = memoriaCuatroTrozos(eeg);
    const EEG sin = ejecutarASR(eeg, OpcionesASR{}, {}, memoria);
    RegistroAvance r;
    const EEG con = ejecutarASR(eeg, OpcionesASR{}, r.avance(), memoria);
    ASSERT_EQ(arma::size(sin.datos()), arma::size(con.datos()));
    EXPECT_EQ(std::memcmp(sin.datos().memptr(), con.datos().memptr(), sin.datos().n_elem * sizeof(double)), 0);
    comprobarCreciente(r.fracciones);
    // Reports inside every stage, not only between them.
    EXPECT_GE(r.fracciones.size(), 20u);
    for (const char* etapa : {"eliminando la deriva", "eligiendo ventanas limpias", "calibrando", "procesando"})
        EXPECT_EQ(r.etapas.count(etapa), 1u) << etapa;
}

TEST(AvanceASR, CancelarDetieneLaEjecucion) {
    const EEG eeg = registroASR();
    for (PuntoCancelacion punto : puntosCancelacion) {
        RegistroAvance r(punto);
        EXPECT_THROW(ejecutarASR(eeg, OpcionesASR{}, r.avance(), memoriaCuatroTrozos(eeg)), Cancelado);
    }
}

// Many tiny steps in a burst reach the reporter only as they add up to a
// thousandth; a stage change and the end always get through.
TEST(AvanceInformes, LosPasosMinimosSeAgrupanYElFinalSiempreLlega) {
    RegistroAvance r;
    const Avance a = r.avance();
    for (int i = 0; i <= 500; ++i) a(i * 1e-6);
    EXPECT_LE(r.fracciones.size(), 3u);  // 0, and at most one more should 20 ms pass
    const Avance b = a.tramo(0.5, 1.0, "segunda");
    b(0.0);
    EXPECT_EQ(r.fracciones.back(), 0.5);
    EXPECT_EQ(r.etapas.count("segunda"), 1u);
    for (int i = 0; i <= 1000; ++i) b(1.0 - (1000 - i) * 1e-7);
    EXPECT_EQ(r.fracciones.back(), 1.0);
}
