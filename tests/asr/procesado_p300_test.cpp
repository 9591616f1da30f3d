// A whole ASR run on real EEG (p300_8ch.dat, 8 channels, 256 Hz, 56840
// samples) with a 2 s burst of large artefacts added to 3 channels: the burst
// must lose at least 10 dB of power, and elsewhere the output must stay
// within 1 % (median per-second RMS) of the drift-removed input.

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "asr/ejecutarASR.h"
#include "asr/eliminarDeriva.h"
#include "io/DatFileReader.h"

TEST(ASRCompleto, P300ConRafagaEnTresCanales) {
    DatFileReader lector;
    EEG eeg = lector.leer(ONDELAR_RAIZ "/../shared/data/p300_8ch.dat");
    ASSERT_EQ(eeg.numeroCanales, 8u);
    ASSERT_EQ(eeg.numeroMuestras, 56840);
    ASSERT_EQ(eeg.frecuenciaMuestreo, 256);
    const int srate = 256;
    const arma::mat original = eeg.datos();
    const arma::mat sinDerivaLimpio = eliminarDeriva(original, srate);

    // Broadband noise 15 times each channel's own (drift-free) standard
    // deviation on channels 1, 4 and 7, from 100 s to 102 s.
    const arma::uvec canales = {0, 3, 6};
    const arma::uword ini = 100 * srate, largo = 2 * srate, fin = ini + largo - 1;
    arma::arma_rng::set_seed(99);
    arma::mat sucio = original;
    for (arma::uword c : canales) {
        const double sd = arma::stddev(sinDerivaLimpio.row(c));
        sucio.row(c).cols(ini, fin) += 15 * sd * arma::randn<arma::rowvec>(largo);
    }
    eeg.matrices[0] = sucio;

    const EEG asr = ejecutarASR(eeg, OpcionesASR{}, {}, 8e9);
    ASSERT_EQ(asr.datos().n_rows, 8u);
    ASSERT_EQ(asr.datos().n_cols, 56840u);
    EXPECT_EQ(asr.numeroMuestras, 56840);
    const arma::mat& y = asr.datos();
    const arma::mat sinDerivaSucio = eliminarDeriva(sucio, srate);

    // Artefact power in the stretch before and after, against the clean
    // recording through the same drift removal.
    const arma::mat antes = sinDerivaSucio.submat(canales, arma::regspace<arma::uvec>(ini, fin)) -
                            sinDerivaLimpio.submat(canales, arma::regspace<arma::uvec>(ini, fin));
    const arma::mat despues = y.submat(canales, arma::regspace<arma::uvec>(ini, fin)) -
                              sinDerivaLimpio.submat(canales, arma::regspace<arma::uvec>(ini, fin));
    const double reduccionDb = 10 * std::log10(arma::accu(arma::square(antes)) / arma::accu(arma::square(despues)));
    EXPECT_GE(reduccionDb, 10.0);

    // Away from the burst (±1 s), second by second: RMS of the change over RMS
    // of the drift-removed input, all channels together.
    std::vector<double> relativos;
    for (arma::uword s = 0; (s + 1) * srate <= y.n_cols; ++s) {
        const arma::uword a = s * srate, b = a + srate - 1;
        if (b + srate >= ini && a <= fin + srate) continue;
        const double cambio = arma::norm(y.cols(a, b) - sinDerivaSucio.cols(a, b), "fro");
        relativos.push_back(cambio / arma::norm(sinDerivaSucio.cols(a, b), "fro"));
    }
    ASSERT_GT(relativos.size(), 200u);
    std::nth_element(relativos.begin(), relativos.begin() + relativos.size() / 2, relativos.end());
    const double mediana = relativos[relativos.size() / 2];
    EXPECT_LT(mediana, 0.01);
    RecordProperty("reduccion_dB", std::to_string(reduccionDb));
    RecordProperty("mediana_relativa", std::to_string(mediana));
    std::printf("reducción de la ráfaga %.1f dB; mediana por segundo fuera de ella %.2e\n", reduccionDb, mediana);
}
