// Building and drawing a signal plot: the chart of all 8 channels of the P300
// recording (with its 720 event markers) and of 16 of the 64 channels of the
// motor recording, each in its own process so that the peak resident memory
// is that case's alone. Rendered on the offscreen platform: one full paint of
// the visible part of the new tab.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <QApplication>
#include <QImage>
#include <QScrollArea>
#include <QTabWidget>

#include "app/Ondelar.h"
#include "app/almacenEEG.h"
#include "io/cargarRegistro.h"
#include "ui_Ondelar.h"
#include "bench/comun/cargaSilenciosa.h"

namespace {

double segundosDesde(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double picoMemoriaMiB() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return static_cast<double>(uso.ru_maxrss) / 1024.0;  // kB on Linux
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

    const auto t0 = std::chrono::steady_clock::now();
    // The chooser's suggestion for these channels: their largest and smallest sample.
    const arma::mat& datos = v.eegSeleccionado().datos();
    const arma::mat elegidos = datos.rows(0, static_cast<arma::uword>(caso.canales) - 1);
    v.dibujarCanales(canales, elegidos.max(), elegidos.min());
    const double construir = segundosDesde(t0);

    auto* desplazable = qobject_cast<QScrollArea*>(v.ui->panelTabs->widget(0));
    if (!desplazable) {
        std::printf("%s: no se ha creado la pestaña\n", caso.nombre);
        return 1;
    }
    const auto t1 = std::chrono::steady_clock::now();
    QApplication::processEvents();  // chart layout
    const QImage imagen = desplazable->viewport()->grab().toImage();
    const double pintar = segundosDesde(t1);

    std::printf("%-32s %3d canales x %6lld muestras: construir %.3f s, pintar %.3f s (%dx%d px); "
                "memoria pico %.1f MiB (antes del grafico %.1f MiB)\n",
                caso.nombre, caso.canales, static_cast<long long>(v.eegSeleccionado().datos().n_cols), construir,
                pintar, imagen.width(), imagen.height(), picoMemoriaMiB(), memoriaAntes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Caso casos[] = {
        {"p300_8ch.gdf (720 eventos)", [] { return cargarEnSilencio(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf"); }, 8},
        {"motor_64ch.dat", [] { return cargarEnSilencio(ONDELAR_RAIZ "/../shared/data/motor_64ch.dat"); }, 16},
    };
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
