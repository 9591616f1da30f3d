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
    const int srate = 256;
    const arma::mat limpio = eliminarDeriva(eeg.datos(), srate);
    // Broadband noise 15 times each channel's own (drift-free) standard
    // deviation on channels 1, 4 and 7, from 100 s to 102 s.
    const arma::uvec canales = {0, 3, 6};
    const arma::uvec rafaga = arma::regspace<arma::uvec>(100 * srate, 102 * srate - 1);
    arma::arma_rng::set_seed(99);
    for (arma::uword c : canales)
        eeg.matrices[0].row(c).cols(rafaga.front(), rafaga.back()) +=
            15 * arma::stddev(limpio.row(c)) * arma::randn<arma::rowvec>(rafaga.n_elem);
    const arma::mat sucio = eliminarDeriva(eeg.datos(), srate);

    const EEG asr = ejecutarASR(eeg, OpcionesASR{}, {}, 8e9);
    const arma::mat& y = asr.datos();
    ASSERT_EQ(arma::size(y), arma::size(sucio));
    EXPECT_EQ(asr.numeroMuestras, 56840);
    // Artefact power in the stretch before and after, against the clean
    // recording through the same drift removal.
    const double antes = arma::accu(arma::square(sucio.submat(canales, rafaga) - limpio.submat(canales, rafaga)));
    const double despues = arma::accu(arma::square(y.submat(canales, rafaga) - limpio.submat(canales, rafaga)));
    EXPECT_GE(10 * std::log10(antes / despues), 10.0);
    // Away from the burst (±1 s), second by second: RMS of the change over RMS
    // of the drift-removed input, all channels together.
    std::vector<double> relativos;
    for (arma::uword a = 0; a + srate <= y.n_cols; a += srate) {
        const arma::uword b = a + srate - 1;
        if (b + srate >= rafaga.front() && a <= rafaga.back() + srate) continue;
        relativos.push_back(arma::norm(y.cols(a, b) - sucio.cols(a, b), "fro") / arma::norm(sucio.cols(a, b), "fro"));
    }
    ASSERT_GT(relativos.size(), 200u);
    std::nth_element(relativos.begin(), relativos.begin() + relativos.size() / 2, relativos.end());
    EXPECT_LT(relativos[relativos.size() / 2], 0.01);
}
