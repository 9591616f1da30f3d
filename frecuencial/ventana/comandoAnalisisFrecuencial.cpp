#include "app/Ondelar.h"

#include <optional>

#include <QPointer>

#include "frecuencial/ventana/ventanaEmergente.h"
#include "frecuencial/welch.h"
#include "ui_Ondelar.h"

void Ondelar::lanzarAnalisisFrecuencial() {
    ui->labelDatos->setText(QStringLiteral("triger analisis"));
    auto* ventana = new ventanaEmergente();
    // A closed window is never shown again; release it instead of keeping it for the run.
    ventana->setAttribute(Qt::WA_DeleteOnClose);
    if (const auto elegida = seleccion()) {
        const auto [archivo, indice] = *elegida;
        const EEG* rama = &archivosEEG.rama(archivo, indice);
        try {
            // The spectrum is computed on the worker, which reads the stored
            // branch in place (the store cannot change meanwhile); the window
            // finds the branch again only while it stays in the store.
            std::optional<EspectroPotencia> espectro;
            const bool hecho = enSegundoPlano(QStringLiteral("Análisis frecuencial"), [&](const Avance& avance) {
                espectro = calcularEspectro(rama->datos(), rama->frecuenciaMuestreo, {}, avance);
            });
            if (!hecho || !espectro) {
                delete ventana;
                return;
            }
            const QPointer<Ondelar> principal(this);
            ventana->fijarEjecutor([principal](const QString& nombre, const std::function<void(const Avance&)>& tarea) {
                return principal && principal->enSegundoPlano(nombre, tarea);
            });
            ventana->mostrar(*rama, QString::fromStdString(archivosEEG.descripcion(archivo, indice)), std::move(*espectro),
                             [principal, numero = archivosEEG.numeroRama(archivo, indice)]() -> const EEG* {
                                 return principal ? principal->archivosEEG.buscar(numero) : nullptr;
                             });
        } catch (const std::exception& e) {
            pausaDebug(std::string("No se pudo analizar la rama seleccionada: ") + e.what());
        }
    }
    ventana->show();
}
