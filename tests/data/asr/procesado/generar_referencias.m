% Reference outputs of the ASR processing stage, made with core GNU Octave by
% running the set-up and loop statements below verbatim; only the free-memory
% expression of the set-up is replaced by a fixed figure, so that the number
% of chunks does not depend on the machine.
%
% Run from this folder:  octave-cli generar_referencias.m
%
% Files (Armadillo binary matrices, readable by arma::mat::load):
%   <caso>_datos.bin      input data, C x (S+P): already extended at its end
%   <caso>_T.bin, _M.bin  C x C threshold and mixing matrices
%   <caso>_B.bin, _A.bin  9 x 1 recursive filter
%   <caso>_iirstate.bin   8 x C initial filter state
%   <caso>_<trozos>_salida.bin   outdata, C x (S+P)
%   <caso>_<trozos>_param.txt    srate wl N P stepsize maxdims memoria splits
1;

addpath('..');  % guardar.m

source('sentencias_asr.m');  % preparacion, bucle, memoriaJava

% Spectral-shaping filter: 8 poles and 8 zeros inside the unit circle.
polos = [0.92*exp(1i*[0.2 -0.2]) 0.85*exp(1i*[1.1 -1.1]) 0.7*exp(1i*[2.2 -2.2]) 0.5 -0.3];
ceros = [0.6*exp(1i*[0.5 -0.5]) 0.9*exp(1i*[1.6 -1.6]) 0.4*exp(1i*[2.7 -2.7]) -0.8 0.2];
A0 = real(poly(polos)); B0 = 1.3 * real(poly(ceros));

% caso, channels, srate, samples of the working data, fixed memory figures
% (bytes) for one chunk and for several chunks.
casos = {
  'c1',  1, 128, 2000, 8e9, 1.3e5;
  'c8',  8, 256, 4000, 8e9, 6.0e6;
  'c32', 32, 90, 1500, 8e9, 6.0e7;
};

for k = 1:rows(casos)
  [caso, Cn, srate, Sd, memorias] = deal(casos{k,1}, casos{k,2}, casos{k,3}, casos{k,4}, [casos{k,5} casos{k,6}]);
  randn('state', 17 + k); rand('state', 31 + k);
  wl = max(0.5, 1.5 * Cn / srate);
  Pn = round(wl * 0.5 * srate); Nn = round(wl * srate); paso = floor(srate * wl * 0.5);
  md = 0.66; if md < 1, md = round(Cn * md); end

  % Mixed coloured sources with bursts of large artefacts on some channels.
  mezcla = randn(Cn) + 2 * eye(Cn);
  fuentes = filter(1, [1 -0.8], randn(Cn, Sd), [], 2);
  x = mezcla * fuentes;
  limpio = x(:, 1:round(Sd / 3));
  for r = 1:4
    ini = round(Sd * (0.3 + 0.15 * r)); fin = min(Sd, ini + round(0.8 * srate));
    canalesR = unique(max(1, round(rand(1, max(1, round(Cn / 3))) * Cn)));
    x(canalesR, ini:fin) = x(canalesR, ini:fin) + 25 * randn(numel(canalesR), fin - ini + 1);
  end
  x(1, round(Sd / 2)) = NaN;          % non-finite values become 0
  x(end, round(Sd / 2) + 7) = Inf;
  % The driver's end extension (odd reflection of the last P samples).
  S = Sd;
  datosExt = [x 2 * x(:, S) - x(:, (S - 1):-1:(S - Pn))];

  % Calibration-like matrices from the clean third.
  [Xf, zf] = filter(B0, A0, limpio, [], 2);
  Mm = real(sqrtm(Xf * Xf' / columns(Xf)));
  [Vm, Dm] = eig(Mm);
  Tm = diag(3 * sqrt(mean((Vm' * Xf) .^ 2, 2))) * Vm';

  guardar([caso '_datos.bin'], datosExt);
  guardar([caso '_T.bin'], Tm); guardar([caso '_M.bin'], Mm);
  guardar([caso '_B.bin'], B0(:)); guardar([caso '_A.bin'], A0(:));
  guardar([caso '_iirstate.bin'], zf);

  for t = 1:2
    memoria = memorias(t);
    % The engine workspace of one run: the variables the statements use.
    clear -x casos k caso Cn srate Sd memorias memoria t wl Pn Nn paso md datosExt Tm Mm B0 A0 zf preparacion bucle memoriaJava guardar
    data = datosExt; T = Tm; M = Mm; B = B0; A = A0; iirstate = zf;
    P = int32(Pn); stepsize = int32(paso); N = int32(Nn); maxdims = md;
    eval(strrep(preparacion, memoriaJava, sprintf('%.17g', memoria)));
    fprintf('  (%s)\n', caso);
    eval(bucle);
    nombre = sprintf('%s_%d', caso, t);
    guardar([nombre '_salida.bin'], outdata);
    f = fopen([nombre '_param.txt'], 'w');
    fprintf(f, '%d %.17g %d %d %d %.17g %.17g %d\n', srate, wl, N, P, stepsize, maxdims, memoria, splits);
    fclose(f);
  end
end
