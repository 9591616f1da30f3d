#include "app/arbolRegistros.h"

#include <QHeaderView>
#include <QPoint>
#include <QStringList>
#include <QTreeWidget>
#include <QVariant>

#include "io/almacenEEG.h"
#include "representacion/resumenRegistro.h"

namespace {

constexpr int rolPosicion = Qt::UserRole;
const char* const propiedadFirma = "firmaAlmacen";

QStringList columnas(const LineaRegistro& l) {
    QStringList r;
    for (const std::string* c :
         {&l.nombre, &l.formato, &l.canales, &l.frecuencia, &l.duracion, &l.eventos, &l.historia})
        r << QString::fromStdString(*c);
    return r;
}

QTreeWidgetItem* fila(const LineaRegistro& l, int archivo, int rama) {
    auto* f = new QTreeWidgetItem(columnas(l));
    f->setData(0, rolPosicion, QVariant::fromValue(QPoint(archivo, rama)));
    f->setToolTip(0, QString::fromStdString(textoLinea(l)));
    f->setToolTip(5, f->text(5));  // a long list of event kinds
    return f;
}

// The branch numbers in store order: they change exactly when a recording
// or a branch comes or goes.
QString firma(const AlmacenEEG& almacen) {
    QStringList r;
    for (int a = 0; a < almacen.numeroArchivos(); ++a) {
        QStringList ramas;
        for (int b = 0; b < almacen.numeroRamas(a); ++b) ramas << QString::number(almacen.numeroRama(a, b));
        r << ramas.join(',');
    }
    return r.join(';');
}

}  // namespace

void prepararArbol(QTreeWidget* arbol) {
    arbol->setColumnCount(7);
    arbol->setHeaderLabels({QStringLiteral("Registro / rama"), QStringLiteral("Formato"), QStringLiteral("Canales"),
                            QStringLiteral("Frecuencia"), QStringLiteral("Duración"), QStringLiteral("Eventos"),
                            QStringLiteral("Historia")});
    arbol->setSelectionMode(QAbstractItemView::SingleSelection);
    arbol->header()->setStretchLastSection(true);
}

void reflejarAlmacen(QTreeWidget* arbol, const AlmacenEEG& almacen, std::optional<std::pair<int, int>> seleccion) {
    const QSignalBlocker bloqueo(arbol);
    const QString actual = firma(almacen);
    if (arbol->property(propiedadFirma).toString() != actual || arbol->topLevelItemCount() != almacen.numeroArchivos()) {
        arbol->clear();
        for (int a = 0; a < almacen.numeroArchivos(); ++a) {
            QTreeWidgetItem* registro = fila(lineaArchivo(almacen.rama(a, 0), almacen.rutaArchivo(a), a), a, 0);
            for (int b = 0; b < almacen.numeroRamas(a); ++b)
                registro->addChild(fila(lineaRama(almacen.rama(a, b), a, b), a, b));
            arbol->addTopLevelItem(registro);
            registro->setExpanded(true);
        }
        for (int c = 0; c < arbol->columnCount() - 1; ++c) arbol->resizeColumnToContents(c);
        arbol->setProperty(propiedadFirma, actual);
    }
    QTreeWidgetItem* elegida = nullptr;
    if (seleccion && seleccion->first < arbol->topLevelItemCount())
        elegida = arbol->topLevelItem(seleccion->first)->child(seleccion->second);
    arbol->setCurrentItem(elegida);
    if (!elegida) arbol->clearSelection();
}

std::optional<std::pair<int, int>> posicionFila(const QTreeWidgetItem* fila) {
    if (!fila) return std::nullopt;
    const QPoint p = fila->data(0, rolPosicion).toPoint();
    return std::make_pair(p.x(), p.y());
}
