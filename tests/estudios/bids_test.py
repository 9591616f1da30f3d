"""The BIDS helpers of the study workflow (flujo/bids.py) on small datasets
written here: recordings and filters, sidecar inheritance, the .CED made from
electrodes.tsv (units and axes) and the derivative names. Standard library
only, run by ctest with Debian's python3."""

import json
import os
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "flujo"))
import bids  # noqa: E402


def escribir(raiz, ruta, texto=""):
    p = Path(raiz) / ruta
    p.parent.mkdir(parents=True, exist_ok=True)
    p.write_text(texto, encoding="utf-8")
    return str(p)


class Conjunto(unittest.TestCase):
    def setUp(self):
        self.carpeta = tempfile.TemporaryDirectory()
        self.raiz = self.carpeta.name
        escribir(self.raiz, "dataset_description.json", "{}")
        self.uno = escribir(self.raiz, "sub-01/eeg/sub-01_task-a_eeg.edf")
        self.dos = escribir(self.raiz, "sub-02/ses-x/eeg/sub-02_ses-x_task-b_run-2_eeg.vhdr")
        escribir(self.raiz, "sub-02/ses-x/eeg/sub-02_ses-x_task-b_run-2_eeg.eeg")
        escribir(self.raiz, "sub-02/ses-x/eeg/sub-02_ses-x_task-b_run-2_eeg.json", "{}")
        escribir(self.raiz, "sub-02/ses-x/eeg/sub-02_ses-x_task-a_eeg.set")
        # Outputs of an earlier study are not recordings.
        escribir(self.raiz, "derivatives/ondelar/sub-01/eeg/sub-01_task-a_desc-limpio_eeg.edf")

    def tearDown(self):
        self.carpeta.cleanup()

    def test_registrosConNombresDeSalidaYSetOmitido(self):
        r, o = bids.registrosBIDS(self.raiz)
        self.assertEqual(sorted(r), ["sub-01/eeg/sub-01_task-a_desc-limpio_eeg",
                                     "sub-02/ses-x/eeg/sub-02_ses-x_task-b_run-2_desc-limpio_eeg"])
        self.assertEqual(list(o), ["sub-02/ses-x/eeg/sub-02_ses-x_task-a_desc-limpio_eeg"])
        self.assertIn(".set", o["sub-02/ses-x/eeg/sub-02_ses-x_task-a_desc-limpio_eeg"])

    def test_filtrosConYSinPrefijo(self):
        r, o = bids.registrosBIDS(self.raiz, sujetos=["sub-02"], tareas=["b"])
        self.assertEqual(list(r.values()), [self.dos])
        self.assertEqual(o, {})
        r, o = bids.registrosBIDS(self.raiz, sesiones="ses-x")
        self.assertEqual(len(r) + len(o), 2)
        with self.assertRaises(bids.ErrorBIDS):
            bids.registrosBIDS(self.raiz, sujetos=["09"])

    def test_herenciaElMasCercanoYElDeMasEntidades(self):
        escribir(self.raiz, "task-a_events.tsv")
        escribir(self.raiz, "sub-01/sub-01_events.tsv")
        self.assertTrue(bids.lateral(self.uno, self.raiz, "events", ".tsv").endswith("sub-01/sub-01_events.tsv"))
        propio = escribir(self.raiz, "sub-01/eeg/sub-01_task-a_events.tsv")
        escribir(self.raiz, "sub-01/eeg/sub-01_events.tsv")
        escribir(self.raiz, "sub-01/eeg/sub-01_task-z_events.tsv")  # another task: never
        self.assertEqual(bids.lateral(self.uno, self.raiz, "events", ".tsv"), propio)
        # sub-02 has no events of its own, nor a task-b one at the root.
        self.assertIsNone(bids.lateral(self.dos, self.raiz, "events", ".tsv"))

    def test_sidecarSinElOriginalTieneLosCamposObligatorios(self):
        lat = bids.lateralesDe(self.dos, self.raiz)  # its _eeg.json is "{}"; no channels.tsv
        p = {"version": "ondelar-cli 1", "info": {"frecuencia": 500}, "infoSalida": {"frecuencia": 250}}
        j = bids.sidecarDerivado(p, lat, self.dos, self.raiz, ["remuestreo:250", "car"], None)
        self.assertEqual((j["TaskName"], j["SamplingFrequency"], j["PowerLineFrequency"], j["SoftwareFilters"]),
                         ("b", 250, "n/a", "n/a"))
        self.assertEqual((j["EEGReference"], j["CanalesMalos"], j["TablaEventos"]), ("media de todos los canales", [], None))
        self.assertEqual(j["RegistroOrigen"], "sub-02/ses-x/eeg/sub-02_ses-x_task-b_run-2_eeg.vhdr")

    def test_nombreSalidaCambiaDescYExtension(self):
        self.assertEqual(bids.nombreSalida("sub-1_task-a_desc-crudo_eeg.vhdr", "bdf"), "sub-1_task-a_desc-limpio_eeg.bdf")
        self.assertIsNone(bids.entidades("sub01_eeg.edf"))


class Posiciones(unittest.TestCase):
    def setUp(self):
        self.carpeta = tempfile.TemporaryDirectory()
        d = self.carpeta.name
        self.canales = escribir(d, "c.tsv", "name\ttype\tstatus\nFz\tEEG\tgood\nEOG\tEOG\tbad\nCz\tEEG\tbad\n")
        # Cz in lower case and n/a coordinates for EOG: matched by name regardless of case.
        self.electrodos = escribir(d, "e.tsv", "name\tx\ty\tz\nfz\t0.01\t0.08\t0.05\nEOG\tn/a\tn/a\tn/a\nCZ\t0\t0\t0.1\n")

    def tearDown(self):
        self.carpeta.cleanup()

    def ced(self, sistema, unidades):
        s = escribir(self.carpeta.name, "s.json", json.dumps({"EEGCoordinateSystem": sistema, "EEGCoordinateUnits": unidades}))
        return [l.split("\t") for l in bids.textoCED(self.canales, self.electrodos, s).splitlines()[1:]]

    def test_RASEnMetrosGiraYPasaAMilimetros(self):
        # CapTrak (RAS): Fz at x=0.01 (right), y=0.08 (nose) m -> .CED x = 80, y = -10, z = 50 mm.
        lineas = self.ced("CapTrak", "m")
        self.assertEqual([l[1] for l in lineas], ["Fz", "EOG", "Cz"])
        self.assertEqual([float(v) for v in lineas[0][5:8]], [80.0, -10.0, 50.0])
        self.assertEqual(lineas[1][5:8], ["", "", ""])
        self.assertEqual([float(v) for v in lineas[2][5:8]], [0.0, 0.0, 100.0])

    def test_ALSEnCentimetrosSeCopia(self):
        self.assertEqual([float(v) for v in self.ced("CTF", "cm")[0][5:8]], [0.1, 0.8, 0.5])

    def test_losFrontalesDicenHaciaDondeEstaLaNariz(self):
        # Fp1 far along x: x points to the nose whatever the system is called;
        # far along y: RAS even under an ALS name.
        for fp1, sistema, fz in (("0.08\t0.03", "Other", [10.0, 80.0, 50.0]), ("-0.03\t0.08", "CTF", [80.0, -10.0, 50.0])):
            escribir(self.carpeta.name, "e.tsv", f"name\tx\ty\tz\nfz\t0.01\t0.08\t0.05\nFp1\t{fp1}\t0.02\n")
            self.assertEqual([float(v) for v in self.ced(sistema, "m")[0][5:8]], fz, sistema)

    def test_unidadesDesconocidasNoDanPosiciones(self):
        s = escribir(self.carpeta.name, "s.json", '{"EEGCoordinateSystem": "CapTrak", "EEGCoordinateUnits": "n/a"}')
        lat = {"canales": self.canales, "electrodos": self.electrodos, "sistema": s}
        self.assertFalse(bids.conPosiciones(lat))
        self.assertTrue(bids.conPosiciones(dict(lat, sistema=escribir(self.carpeta.name, "t.json",
                                                                        '{"EEGCoordinateUnits": "mm"}'))))
        self.assertFalse(bids.conPosiciones(dict(lat, electrodos=None)))

    def test_canalesMalosYOrdenDelEjecutor(self):
        self.assertEqual(bids.canalesMalos(self.canales), ["EOG", "Cz"])
        self.assertEqual(bids.argumentosRun("x.ced", "e.tsv", ["Cz"]), ["--ced", "x.ced", "--eventos", "e.tsv", "--malos", "Cz"])
        self.assertEqual(bids.argumentosRun([], None, []), [])

    def test_referenciaTrasPasos(self):
        self.assertEqual(bids.referenciaTrasPasos(["car", "referencia:M1+M2"], "Cz"), "M1+M2")
        self.assertEqual(bids.referenciaTrasPasos(["referencia:media", "filtro:LOW,1,40,60"], "Cz"),
                         "media de todos los canales")
        self.assertEqual(bids.referenciaTrasPasos(["filtro:LOW,1,40,60"], "Cz"), "Cz")


if __name__ == "__main__":
    unittest.main()
