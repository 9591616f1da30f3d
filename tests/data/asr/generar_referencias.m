% Reference outputs for tests/asr: run from this folder with
%   octave-cli --no-gui generar_referencias.m
% Core Octave only. Matrices are written in Armadillo's binary format
% (ARMA_MAT_BIN_FN008), read by the tests with arma::mat::load.
1;

% derivaLiteral.m (beside this script) evaluates the drift-removal statements.

% Kernel length for a rate, from the same design statement.
function taps = tapsDeriva(srateEntrada)
  transition = 2*[0.25 0.75]/srateEntrada; lo = transition(1); hi = transition(2);
  auxNkaiser = round((80-7.95)/(2*pi*2.285*(hi-lo)))+1;
  if ~mod(auxNkaiser,2) auxNkaiser = auxNkaiser+1; end
  taps = auxNkaiser;
end

randn('state', 6); rand('state', 6);

% Inputs: slow drift + a few sines + noise, different per channel.
function x = senal(C, S, srate)
  t = (0:S-1) / srate;
  x = zeros(C, S);
  for c = 1:C
    x(c, :) = 40*c + 15*t*c + 30*sin(2*pi*0.1*t + c) + 10*sin(2*pi*10*t*c/2) + 5*randn(1, S);
  end
end

casos = {100, 2, 1000; 250, 2, 1000; 256, 3, 1200; 256, 1, 1200; 500, 2, 2600; 256, 2, 300; 100, 1, 7};
nombres = {'deriva_100', 'deriva_250', 'deriva_256', 'deriva_256_1canal', 'deriva_500', 'deriva_256_corta', 'deriva_100_minima'};
for i = 1:rows(casos)
  [srate, C, S] = casos{i, :};
  x = senal(C, S, srate);
  [y, nucleo] = derivaLiteral(x, srate);
  guardar([nombres{i} '_entrada.bin'], x);
  guardar(sprintf('nucleo_%d.bin', srate), nucleo);
  guardar([nombres{i} '_salida.bin'], y);
  printf('%s: %d Hz, %d x %d, %d taps\n', nombres{i}, srate, C, S, tapsDeriva(srate));
end

% Recursive filter with initial and final state along dimension 2.
B = [1.758701314177015, -4.326762439445862, 5.799988003101652, -6.239662546354836, 5.376807904688311, -3.7938218893375635, 2.1649108095226857, -0.8591392569863896, 0.2569361125628091];
A = [1, -1.700803963930181, 1.9232830391058915, -2.0826929726929992, 1.598263874255749, -1.073585418393015, 0.567971922565272, -0.1886181499768232, 0.0572954115997266];
X = randn(3, 500);
zi = randn(8, 3);
[Y, zf] = filter(B, A, X, zi, 2);
[Y0, zf0] = filter(B, A, X, [], 2);
% An unnormalised denominator (A(1) = 2) and a longer numerator.
B2 = [0.5 0.25 -0.125 0.0625]; A2 = [2 -0.5];
zi2 = randn(3, 3);
[Y2, zf2] = filter(B2, A2, X, zi2, 2);
guardar('iir_B.bin', B'); guardar('iir_A.bin', A'); guardar('iir_X.bin', X); guardar('iir_zi.bin', zi);
guardar('iir_Y.bin', Y); guardar('iir_zf.bin', zf); guardar('iir_Y0.bin', Y0); guardar('iir_zf0.bin', zf0);
guardar('iir_B2.bin', B2'); guardar('iir_A2.bin', A2'); guardar('iir_zi2.bin', zi2);
guardar('iir_Y2.bin', Y2); guardar('iir_zf2.bin', zf2);

% Shape-preserving cubic interpolation: extrema, a flat stretch, uneven
% spacing and extrapolation at both ends.
px = [0 1 3 4 7 8 10]; py = [0 2 1 1 5 -1 -0.5];
pxi = linspace(-0.5, 10.5, 45);
guardar('pchip_x.bin', px'); guardar('pchip_y.bin', py'); guardar('pchip_xi.bin', pxi');
guardar('pchip_yi.bin', interp1(px, py, pxi, 'pchip')');
% Two points only: a straight line.
guardar('pchip2_yi.bin', interp1([1 3], [2 -2], pxi, 'pchip')');
