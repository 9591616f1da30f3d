#pragma once
// Every parameter of the simulated training set behind the shipped MARA
// model, in one place. Positions are fractions of the head model's outer
// radius R measured from its centre; frequencies in Hz, times in seconds,
// dipole moments in nA·m (the lead field gives µV per nA·m).

#include <cstdint>

namespace parametrosSimulacion {

// Time courses: 17 s at 256 Hz, as the features expect of a real component.
constexpr int32_t frecuenciaMuestreo = 256;
constexpr double duracion = 17.0;

// Seeds of the shipped training set (one per class; the held-out sets of the
// tests use others) and of the curve fits' random starts.
constexpr uint32_t semillaEntrenamiento = 20240601;
constexpr uint32_t semillaAjuste = 7;

// Components of each class in the shipped training set. Brain components
// come in two classes, with and without an alpha peak; 40 % are without
// (nCerebroSinAlfa of the nCerebro + nCerebroSinAlfa). Most cortical
// components of a decomposition show an alpha or mu rhythm, but frontal,
// temporal and many deep ones do not; 40 % lies between that usual majority
// and half, a sound upper bound.
constexpr int nCerebro = 240;
constexpr int nCerebroSinAlfa = 160;
constexpr int nParpadeo = 50;
constexpr int nMovimientoOcular = 60;
constexpr int nMusculo = 90;
constexpr int nCanalMalo = 200;
constexpr int nCorazon = 110;

// Brain maps: one dipole of the source shell, or (with this probability) two
// whose sources lie within `distanciaPareja` metres; orientations random.
constexpr double probabilidadDosDipolos = 0.5;
constexpr double distanciaPareja = 0.02;
// Background of every brain component: power 1/(fr^beta + f^beta), beta
// uniform in [betaMinima, betaMaxima], the knee fr uniform in
// [rodillaMinima, rodillaMaxima] Hz. Cortical spectra fall as 1/f^beta over
// the EEG bands and flatten below a few hertz; without the knee a steep
// background would put nearly all of a component's power below 0.5 Hz,
// where the eye movements' steps are.
constexpr double betaMinima = 1.0;
constexpr double betaMaxima = 2.0;
constexpr double rodillaMinima = 1.0;
constexpr double rodillaMaxima = 3.0;
// Alpha rhythm of the brain components with alpha: centre uniform in
// 8–13 Hz, band of +-anchoAlfa/2 around it; its standard deviation relative
// to the background's, uniform in [alfaRelativaMinima, alfaRelativaMaxima].
constexpr double alfaMinima = 8.0;
constexpr double alfaMaxima = 13.0;
constexpr double anchoAlfa = 1.5;
constexpr double alfaRelativaMinima = 0.3;
constexpr double alfaRelativaMaxima = 3.0;
// Brain components without alpha: the background alone, or (with
// probabilidadOndulacion) plus a weak theta or beta rhythm, never in 8–13 Hz:
// theta centred uniform in thetaMinima–Maxima, +-anchoTheta/2 wide; beta
// centred in betaRitmoMinima–Maxima, +-anchoBeta/2 wide; standard deviation
// relative to the background's uniform in [ondulacionMinima, ondulacionMaxima].
constexpr double probabilidadOndulacion = 0.5;
constexpr double thetaMinima = 4.5;
constexpr double thetaMaxima = 6.5;
constexpr double anchoTheta = 1.5;
constexpr double betaRitmoMinima = 16.0;
constexpr double betaRitmoMaxima = 24.0;
constexpr double anchoBeta = 4.0;
constexpr double ondulacionMinima = 0.1;
constexpr double ondulacionMaxima = 0.5;

// Dipoles outside the source shell stay within 0.85 R, a margin inside the
// innermost sphere (0.90 R): the series holds only there, and converges
// slowly for sources near its surface.
//
// Eyes: two dipoles (left and right eye) at depth uniform in
// [profundidadOjoMinima, profundidadOjoMaxima] × R (outside the source shell
// at 0.78 R, inside the innermost sphere at 0.90 R), in the direction
// (±ojoLateral, ojoFrontal, ojoVertical) from the centre, each coordinate
// jittered by +-dispersionOjo. With the depth capped at 0.85 R the direction
// is tilted up towards Fp1/Fp2 so that eye and frontopolar electrodes stay
// about 3 cm apart, as on a real head.
constexpr double profundidadOjoMinima = 0.81;
constexpr double profundidadOjoMaxima = 0.85;
constexpr double ojoLateral = 0.33;
constexpr double ojoFrontal = 0.80;
constexpr double ojoVertical = -0.25;
constexpr double dispersionOjo = 0.06;
// Blink trains: one blink every intervaloParpadeoMinimo–Maximo s, each a
// pulse of duracionParpadeoMinima–Maxima s rising in fraccionSubida of its
// length and decaying slowly after; amplitude jitter +-variacionParpadeo.
constexpr double intervaloParpadeoMinimo = 1.5;
constexpr double intervaloParpadeoMaximo = 6.0;
constexpr double duracionParpadeoMinima = 0.2;
constexpr double duracionParpadeoMaxima = 0.4;
constexpr double fraccionSubida = 0.3;
constexpr double variacionParpadeo = 0.2;
// Saccades: the gaze holds for fijacionMinima–Maxima s, then jumps to a new
// position uniform in +-1 within duracionSacada s.
constexpr double fijacionMinima = 0.3;
constexpr double fijacionMaxima = 2.5;
constexpr double duracionSacada = 0.04;
// Vertical eye dipoles point up and forward; horizontal ones along x. The
// orientation is jittered by +-dispersionOrientacionOjo in each coordinate.
constexpr double dispersionOrientacionOjo = 0.2;
// Background noise of eye, heart and bad-channel time courses (white,
// standard deviation relative to the artefact's).
constexpr double ruidoArtefactoMinimo = 0.02;
constexpr double ruidoArtefactoMaximo = 0.15;

// Muscle: a dipole at depth uniform in [profundidadMusculoMinima,
// profundidadMusculoMaxima] × R under one of the temporal and peripheral
// electrodes below; band-limited white noise in bandaMusculo, in bursts of
// rafagaMinima–Maxima s separated by pausaMinima–Maxima s; a floor of
// fondoMusculo between bursts.
constexpr double profundidadMusculoMinima = 0.83;
constexpr double profundidadMusculoMaxima = 0.85;
constexpr double bandaMusculoInferior = 20.0;
constexpr double bandaMusculoSuperior = 100.0;
constexpr double rafagaMinima = 0.3;
constexpr double rafagaMaxima = 2.0;
constexpr double pausaMinima = 0.2;
constexpr double pausaMaxima = 2.0;
constexpr double fondoMusculo = 0.2;
inline constexpr const char* electrodosMusculo[] = {
    "T7",   "T8",  "FT7", "FT8", "TP7", "TP8", "F7",   "F8",   "FFC7", "FFC8", "CFC7", "CFC8", "CCP7", "CCP8",
    "PCP7", "PCP8", "P7", "P8",  "P9",  "P10", "FT9",  "FT10", "TP9",  "TP10", "AF7",  "AF8",  "O1",   "O2",
    "OI1",  "OI2", "I1",  "I2"};

// Bad channel: the map is 1 on one electrode plus white noise of standard
// deviation ruidoMapaCanalMalo elsewhere. The electrode is one of the 10-10
// positions below, the ones common caps hold: the spatial features are
// recomputed on the channels a recording shares with the training set, and a
// bad channel on an electrode the cap lacks would teach nothing. Its time
// course is a drift (random walk), sparse spikes (tasaPicos per second, each
// picoDuracion s) or line noise at 50 or 60 Hz, always with broadband contact
// noise.
constexpr double ruidoMapaCanalMalo = 0.05;
inline constexpr const char* electrodosCanalMalo[] = {
    "Fp1", "Fpz", "Fp2", "AF7", "AF3", "AF4", "AF8", "F7",  "F5",  "F3",  "F1",  "Fz",  "F2",  "F4",  "F6",
    "F8",  "FT7", "FC5", "FC3", "FC1", "FCz", "FC2", "FC4", "FC6", "FT8", "T7",  "C5",  "C3",  "C1",  "Cz",
    "C2",  "C4",  "C6",  "T8",  "TP7", "CP5", "CP3", "CP1", "CP2", "CP4", "CP6", "TP8", "P9",  "P7",  "P5",
    "P3",  "Pz",  "P2",  "P4",  "P6",  "P8",  "P10", "PO7", "POz", "PO8", "O1",  "Oz",  "O2"};
// Broadband contact noise of a bad electrode, standard deviation relative to
// the drift, spikes or line noise.
constexpr double ruidoContactoMinimo = 0.3;
constexpr double ruidoContactoMaximo = 1.0;
// Electrode drifts are slow: their random walk holds no power above this.
constexpr double frecuenciaDeriva = 1.0;
constexpr double tasaPicosMinima = 0.5;
constexpr double tasaPicosMaxima = 3.0;
constexpr double picoDuracion = 0.02;

// Heart: the distant source below the head is represented by a dipole at
// profundidadCorazon × R straight below the centre (the series holds only
// inside the innermost sphere), its orientation mostly vertical (jitter
// +-dispersionOrientacionCorazon); QRS complexes at ritmoCardiacoMinimo–Maximo
// Hz with beat-to-beat jitter variacionLatido, each a sharp biphasic wave of
// anchoQRS s followed by a T wave of relative height alturaOndaT.
constexpr double profundidadCorazon = 0.85;
constexpr double dispersionOrientacionCorazon = 0.4;
constexpr double ritmoCardiacoMinimo = 1.0;
constexpr double ritmoCardiacoMaximo = 1.4;
constexpr double variacionLatido = 0.04;
constexpr double anchoQRS = 0.03;
constexpr double alturaOndaT = 0.25;

}  // namespace parametrosSimulacion
