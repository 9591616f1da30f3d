// End to end with the shipped model: a simulated 32-channel averaged branch
// (cortical sources, half of them with little alpha, a blink train and a
// muscle burst, mixed through the head model) run through "aplicar MARA" in
// the window.
#include <cmath>
#include <cstdio>

#include "mara/ventana/comandoMARA.h"
#include "mara/modelo/parametrosSimulacion.h"
#include "mara/modelo/senalesSimuladas.h"
#include "mara/operadorDensidadCorriente.h"
#include "modelo_ayuda.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba_modelo;

namespace {

const std::vector<std::string> kEtiquetas = {"Fp1", "Fp2", "AF3", "AF4", "F7",  "F3",  "Fz",  "F4",
                                             "F8",  "FC5", "FC1", "FC2", "FC6", "T7",  "C3",  "Cz",
                                             "C4",  "T8",  "CP5", "CP1", "CP2", "CP6", "P7",  "P3",
                                             "Pz",  "P4",  "P8",  "PO7", "PO8", "O1",  "Oz",  "O2"};

struct Mezcla {
    arma::mat cerebro;      // 32 x T, the brain-only ground truth (µV)
    arma::mat datos;        // brain + blink + muscle
    arma::rowvec parpadeo;  // the blink and muscle time courses
    arma::rowvec musculo;
};

arma::uword canal(const std::string& e) {
    return static_cast<arma::uword>(std::find(kEtiquetas.begin(), kEtiquetas.end(), e) - kEtiquetas.begin());
}

double rms(const arma::rowvec& x) { return std::sqrt(arma::mean(arma::square(x))); }

Mezcla simular() {
    namespace P = parametrosSimulacion;
    const arma::uvec filas = filasLeadfield(kEtiquetas);
    const auto T = static_cast<arma::uword>(P::duracion * P::frecuenciaMuestreo);
    Mezcla m;
    // 30 cortical sources: 15 with an alpha rhythm, 15 without one, to which
    // a trace of alpha (5–20 % of the background's standard deviation) is added.
    const ComponentesSimuladas conAlfa = simularComponentes(cabeza(), ClaseSimulada::cerebro, 15, 4242);
    const ComponentesSimuladas sinAlfa = simularComponentes(cabeza(), ClaseSimulada::cerebroSinAlfa, 15, 4343);
    AzarSimulacion azar(77);
    arma::mat cursos = sinAlfa.cursos;
    for (arma::uword k = 0; k < cursos.n_rows; ++k) {
        const double f = azar.uniforme(8.5, 12.5);
        cursos.row(k) += azar.uniforme(0.05, 0.2) * ruidoBanda(azar, T, P::frecuenciaMuestreo, f - 0.75, f + 0.75);
    }
    const arma::mat mapas = arma::join_rows(conAlfa.mapas, sinAlfa.mapas);
    cursos = arma::join_cols(conAlfa.cursos, cursos);
    m.cerebro = arma::mat(mapas.rows(filas)) * cursos;
    m.cerebro *= 10.0 / arma::stddev(arma::vectorise(m.cerebro));  // 10 µV RMS

    // Blinks: both eyes, vertical; 4 times the brain RMS at Fp1.
    const ComponentesSimuladas ojos = simularComponentes(cabeza(), ClaseSimulada::parpadeo, 1, 5151);
    const arma::vec mapaOjos = arma::vec(ojos.mapas.col(0)).elem(filas);
    m.parpadeo = ojos.cursos.row(0);
    arma::mat parpadeo = mapaOjos * m.parpadeo;
    parpadeo *= 4.0 * rms(m.cerebro.row(canal("Fp1"))) / rms(parpadeo.row(canal("Fp1")));

    // Muscle: a tangential dipole under T7, one 4-second burst of 20–100 Hz noise.
    const arma::uword t7 = filasLeadfield({"T7"})(0);
    const arma::vec3 d = cabeza().electrodos.col(t7) - cabeza().esferas.centro;
    const arma::vec3 posicion = cabeza().esferas.centro + 0.85 * cabeza().esferas.radioExterior * d / arma::norm(d);
    const arma::vec mapaMusculo = mapaDipolo(cabeza(), posicion, arma::vec3{0.0, 0.6, 0.8}).elem(filas);
    arma::rowvec envolvente(T, arma::fill::zeros);
    const arma::uword inicio = 6 * 256, largo = 4 * 256;
    for (arma::uword n = 0; n < largo; ++n) envolvente(inicio + n) = std::sin(M_PI * n / static_cast<double>(largo));
    m.musculo = ruidoBanda(azar, T, P::frecuenciaMuestreo, 20.0, 100.0) % envolvente;
    arma::mat musculo = mapaMusculo * m.musculo;
    musculo *= 2.0 * rms(m.cerebro.row(canal("T7"))) / rms(musculo.row(canal("T7")));

    m.datos = m.cerebro + parpadeo + musculo;
    return m;
}

// Power of the part of channel x that follows the time course s (least squares).
double potenciaDe(const arma::rowvec& x, const arma::rowvec& s) {
    const double b = arma::dot(x, s) / arma::dot(s, s);
    return b * b * arma::mean(arma::square(s));
}

double correlacion(arma::rowvec a, arma::rowvec b) {
    a -= arma::mean(a);
    b -= arma::mean(b);
    return arma::dot(a, b) / (arma::norm(a) * arma::norm(b));
}

}  // namespace

class PruebaModeloExtremo : public QObject {
    Q_OBJECT

private slots:
    void aplicarMaraQuitaParpadeoYMusculoYConservaElCerebro() {
        const Mezcla m = simular();
        EEG eeg(256, 32, m.datos.n_cols);  // averaged: no event table
        for (arma::uword c = 0; c < 32; ++c) (*eeg.canales)[c].etiqueta = kEtiquetas[c];
        eeg.matrices[0] = m.datos;
        eeg.historia = " Promediado";

        prueba::VentanaPrueba f;
        fijarDirectorioModelosMara(directorioModelos());
        fijarSemillaMara(2024);
        f.anadir(eeg);
        f.ui().aplicar_MARA->trigger();
        fijarDirectorioModelosMara(std::nullopt);
        fijarSemillaMara(std::nullopt);

        QCOMPARE(f.mensajes.mid(0, 2), (QStringList{"patterns 32 32", "32 2"}));
        QVERIFY2(f.mensajes.size() == 3 && f.mensajes[2].startsWith("MARA quitó "), qPrintable(f.mensajes.join('|')));
        QCOMPARE(f.estado(), QString("eeg 1-2 Promediado MARA"));
        const arma::mat& limpio = f.rama(0, 1).datos();
        QCOMPARE(arma::size(limpio), arma::size(m.datos));

        const arma::uword fp1 = canal("Fp1"), t7 = canal("T7");
        const double caidaParpadeo =
            10.0 * std::log10(potenciaDe(m.datos.row(fp1), m.parpadeo) / potenciaDe(limpio.row(fp1), m.parpadeo));
        const double caidaMusculo =
            10.0 * std::log10(potenciaDe(m.datos.row(t7), m.musculo) / potenciaDe(limpio.row(t7), m.musculo));
        arma::vec r(32);
        for (arma::uword c = 0; c < 32; ++c) r(c) = correlacion(limpio.row(c), m.cerebro.row(c));
        std::printf("  parpadeo en Fp1: -%.1f dB; musculo en T7: -%.1f dB; correlacion con el cerebro: media %.3f "
                    "(peor canal %.3f)\n",
                    caidaParpadeo, caidaMusculo, arma::mean(r), r.min());
        QVERIFY(caidaParpadeo >= 10.0);
        QVERIFY(caidaMusculo >= 10.0);
        QVERIFY(arma::mean(r) >= 0.93);
        // A brain component lost shows first on the channels under it: the
        // model trained without no-alpha brain kept the mean at 0.97 here but
        // let one channel fall to 0.81.
        QVERIFY(r.min() >= 0.9);
    }
};

QTEST_MAIN(PruebaModeloExtremo)
#include "modelo_extremo_test.moc"
