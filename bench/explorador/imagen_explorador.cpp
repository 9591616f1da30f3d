// Writes the README's picture of the recording browser: the P300 sample
// recording from second 9, rendered on the offscreen platform.
//   imagen_explorador <salida.png>

#include <cstdio>

#include <QApplication>
#include <QImage>

#include "app/exploradorRegistro.h"
#include "io/cargarRegistro.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "uso: imagen_explorador <salida.png>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const EEG eeg = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf");
    ExploradorRegistro explorador([&eeg] { return &eeg; });
    explorador.resize(1100, 560);
    explorador.show();
    explorador.cambiar([](Exploracion& e) { e.irATiempo(9.0); });
    explorador.leer(2, 350);
    QApplication::processEvents();
    if (!explorador.grab().toImage().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "no se ha podido escribir %s\n", argv[1]);
        return 1;
    }
    return 0;
}
