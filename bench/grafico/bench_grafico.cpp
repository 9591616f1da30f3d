// Building and drawing a signal plot: the chart of all 8 channels of the P300
// recording (with its 720 event markers) and of 16 of the 64 channels of the
// motor recording, and a synthetic 64-channel branch near the points cap, each
// in its own process so that the peak resident memory is that case's alone.
// Rendered on the offscreen platform: the new tab until every series is on
// the chart and filled ("pintar"), with one full paint of its visible part;
// then the same scrolled to the middle and to the end. A 10 ms
// timer on the GUI thread ticks meanwhile: its largest gap is how long the
// window stood still (wall clock, and the GUI thread's processor time in it).

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTabWidget>

#include "bench/comun/cargaMaquina.h"
#include "app/Ondelar.h"
#include "app/graficoCanales.h"
#include "io/almacenEEG.h"
#include "app/seriesGrafico.h"
#include "io/cargarRegistro.h"
#include "ui_Ondelar.h"
#include "bench/comun/cargaSilenciosa.h"
#include "tests/app/pulsoHiloGui.h"

namespace {

double segundosDesde(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double picoMemoriaMiB() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return static_cast<double>(uso.ru_maxrss) / 1024.0;  // kB on Linux
}

// Numbers as text without the C library's locale, which Qt sets from the environment.
std::string fijo(double x, int decimales) {
    std::array<char, 64> b{};
    const auto r = std::to_chars(b.data(), b.data() + b.size(), x, std::chars_format::fixed, decimales);
    return std::string(b.data(), r.ptr);
}

// 64 channels x 310 000 samples (20 min at 256 Hz) of seeded noise and slow
// waves: 19.84 million points, just under the chart's cap of 20 million.
EEG sinteticoCercaDelTope() {
    const arma::uword muestras = 310'000;
    EEG eeg(256, 64, static_cast<int64_t>(muestras));
    arma::arma_rng::set_seed(5);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, muestras - 1) / 256.0;
    eeg.matrices[0] = 5.0 * arma::randn<arma::mat>(64, muestras);
    for (arma::uword c = 0; c < 64; ++c) eeg.matrices[0].row(c) += 20.0 * arma::sin(2 * M_PI * (1.0 + c / 8.0) * t);
    for (uint32_t c = 0; c < 64; ++c) (*eeg.canales)[c].etiqueta = "E" + std::to_string(c + 1);
    return eeg;
}

struct Caso {
    const char* nombre;
    std::function<EEG()> cargar;
    int canales;
};

// The offscreen platform warns about every window it cannot size to its hint;
// keep the figures readable.
void filtrarMensajes(QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
    if (texto.contains(QStringLiteral("propagateSizeHints")) || texto.contains(QStringLiteral("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(texto));
    if (tipo == QtFatalMsg) std::abort();
}

int medir(const Caso& caso, int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(filtrarMensajes);
    QApplication app(argc, argv);
    Ondelar v;
    v.resize(929, 477);
    v.show();
    QApplication::processEvents();

    v.anadirArchivo(clonarEEG(caso.cargar()));
    const double memoriaAntes = picoMemoriaMiB();
    QList<int> canales;
    for (int c = 0; c < caso.canales; ++c) canales << c;

    Pulso pulso;
    const auto t0 = std::chrono::steady_clock::now();
    // The chooser's suggestion for these channels: their largest and smallest sample.
    const arma::mat& datos = v.eegSeleccionado().datos();
    const arma::mat elegidos = datos.rows(0, static_cast<arma::uword>(caso.canales) - 1);
    v.dibujarCanales(canales, elegidos.max(), elegidos.min());
    const double construir = segundosDesde(t0);

    auto* pestana = qobject_cast<GraficoCanales*>(v.ui->panelTabs->widget(0));
    if (!pestana) {
        std::printf("%s: no se ha creado la pestaña\n", caso.nombre);
        return 1;
    }
    const auto t1 = std::chrono::steady_clock::now();
    // The chart's layout, then the channel series filled a few per turn of the event loop.
    auto* tramos = pestana->findChild<TramosGrafico*>();
    const auto mostrar = [tramos] {
        do QApplication::processEvents();
        while (tramos && !tramos->completo());
    };
    mostrar();
    const QImage imagen = pestana->grab().toImage();
    const double pintar = segundosDesde(t1);
    const qint64 huecoDibujo = pulso.mayorHueco, trabajoDibujo = pulso.mayorTrabajo;

    // Scrolled to the middle and to the end, each shown and painted.
    pulso.mayorHueco = pulso.mayorTrabajo = 0;
    QScrollBar* barra = pestana->barra();
    const auto t2 = std::chrono::steady_clock::now();
    for (const int posicion : {barra->maximum() / 2, barra->maximum()}) {
        barra->setValue(posicion);
        mostrar();
        pestana->grab();
    }
    const double desplazar = segundosDesde(t2) / 2;

    std::printf("%-32s %3d canales x %6lld muestras: construir %s s, pintar %s s (%dx%d px), "
                "mayor hueco del hilo de la ventana %lld ms (trabajo %lld ms); desplazar y pintar %s s "
                "(hueco %lld ms); memoria pico %s MiB (antes del grafico %s MiB)\n",
                caso.nombre, caso.canales, static_cast<long long>(v.eegSeleccionado().datos().n_cols),
                fijo(construir, 3).c_str(), fijo(pintar, 3).c_str(), imagen.width(), imagen.height(),
                static_cast<long long>(huecoDibujo), static_cast<long long>(trabajoDibujo), fijo(desplazar, 3).c_str(),
                static_cast<long long>(pulso.mayorHueco), fijo(picoMemoriaMiB(), 1).c_str(),
                fijo(memoriaAntes, 1).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Caso casos[] = {
        {"p300_8ch.gdf (720 eventos)", [] { return cargarEnSilencio(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf"); }, 8},
        {"motor_64ch.dat", [] { return cargarEnSilencio(ONDELAR_RAIZ "/../shared/data/motor_64ch.dat"); }, 16},
        {"sintetico cerca del tope", [] { return sinteticoCercaDelTope(); }, 64},
    };
    std::printf("carga de la maquina (1, 5, 15 min): %s\n", cargaMaquina().c_str());
    int fallos = 0;
    for (const Caso& caso : casos) {
        std::fflush(stdout);
        const pid_t hijo = fork();
        if (hijo == 0) {
            const int r = medir(caso, argc, argv);
            std::fflush(stdout);
            std::_Exit(r);
        }
        int estado = 0;
        waitpid(hijo, &estado, 0);
        if (!WIFEXITED(estado) || WEXITSTATUS(estado) != 0) ++fallos;
    }
    return fallos == 0 ? 0 : 1;
}
