#include "app/Ondelar.h"

#include <exception>
#include <string>

#include <QPointer>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "app/exploradorRegistro.h"
#include "app/puntosSerie.h"
#include "ui_Ondelar.h"

void Ondelar::explorarRama() {
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    const int rama = ui->indiceProcesado->currentIndex();
    try {
        const EEG& eeg = eegSeleccionado();
        if (const std::string motivo = motivoNoDibujable(eeg); !motivo.empty()) {
            pausaDebug(motivo);
            return;
        }
        // The browser reads the branch in place, so it looks the branch up
        // in the store on every use: once deleted, it is no longer drawn.
        const QPointer<Ondelar> ventana(this);
        const EEG* mostrado = &eeg;
        auto fuente = [ventana, mostrado]() -> const EEG* {
            if (!ventana) return nullptr;
            const AlmacenEEG& almacen = ventana->archivosEEG;
            for (int a = 0; a < almacen.numeroArchivos(); ++a)
                for (int b = 0; b < almacen.numeroRamas(a); ++b)
                    if (&almacen.rama(a, b) == mostrado) return mostrado;
            return nullptr;
        };
        auto* explorador = new ExploradorRegistro(fuente);
        const int pestana = ui->panelTabs->addTab(
            explorador, QStringLiteral("eeg ") + QString::number(archivo + 1) + QStringLiteral("-") + QString::number(rama + 1));

        auto* cerrar = new QToolButton();
        cerrar->setObjectName(QStringLiteral("cerrarExplorador"));
        cerrar->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        cerrar->setToolTip(QStringLiteral("cerrar"));
        cerrar->setAutoRaise(true);
        QTabWidget* pestanas = ui->panelTabs;
        connect(cerrar, &QToolButton::clicked, explorador, [pestanas, explorador] {
            pestanas->removeTab(pestanas->indexOf(explorador));
            explorador->deleteLater();
        });
        ui->panelTabs->tabBar()->setTabButton(pestana, QTabBar::RightSide, cerrar);
        ui->panelTabs->setCurrentIndex(pestana);
        explorador->setFocus();
    } catch (const std::exception&) {
        pausaDebug("Fallo en los datos, revise que en el EEG seleccionado hay datos");
    }
}
