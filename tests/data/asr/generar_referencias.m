% Reference outputs for tests/asr: run from this folder with
%   octave-cli --no-gui generar_referencias.m
% Core Octave only. Matrices are written in Armadillo's binary format
% (ARMA_MAT_BIN_FN008), read by the tests with arma::mat::load.
1;

function guardar(nombre, x)
  f = fopen(nombre, 'w');
  fprintf(f, 'ARMA_MAT_BIN_FN008\n%d %d\n', rows(x), columns(x));
  fwrite(f, double(x), 'double', 0, 'ieee-le');
  fclose(f);
end

% Drift removal: the statements are evaluated literally, one workspace per
% call (this function's), as the engine would run them after "clear".
function [datosSalida, nucleo] = derivaLiteral(datosEntrada, srateEntrada)
  datosFiltrar = datosEntrada;
  srate = int32(srateEntrada);
  clear datosEntrada srateEntrada
  eval(sprintf("if ~exist('transition', 'var') || isempty(transition) transition = [0.25 0.75]; end \n\tif ~exist('attenuation', 'var') || isempty(attenuation) attenuation = 80; end \n\t\tdatosFiltrar = double(datosFiltrar);srate = double(srate); \n"));
  eval(sprintf("transition = 2*transition/srate; \n\tlo = transition(1); \n\thi = transition(2); \n\tatten = attenuation; \n\todd = true; \n\tbeta = 0.1102*(atten-8.7); \n\tauxNkaiser = round((atten-7.95)/(2*pi*2.285*(hi-lo)))+1; \n\tif odd && ~mod(auxNkaiser,2) \n\t\t auxNkaiser = auxNkaiser+1; end \n\t\tauxp = (0:(auxNkaiser-1))/(auxNkaiser-1); \n\t\tauxW = besseli(0,beta*sqrt(1-(2*auxp-1).^2))/besseli(0,beta); \nwnd = auxW(:); \ndesignFirN = length(wnd) - 1; \ndesignFirF = [0 transition 1]; \nDesignFirA = [0 0 1 1]; \nDesignFirW = wnd; \nDesignFirNfft = max(512,2^ceil(log(designFirN)/log(2))); \ndesignFirF = interp1(round(designFirF*DesignFirNfft),DesignFirA,(0:DesignFirNfft),'pchip'); \ndesignFirF = designFirF .* exp(-(0.5*designFirN)*sqrt(-1)*pi*(0:DesignFirNfft)./DesignFirNfft); \nB = real(ifft([designFirF conj(designFirF(end-1:-1:2))])); \nB = B(1:designFirN+1).*DesignFirW(:)'; \n datosFiltrar = datosFiltrar'; \n c = 1; \nA = 1; \n"));
  porCanal = sprintf("\tX = datosFiltrar(:, c) \n\t\tw = length(B); t = size(X, 1);\t\tX = double([bsxfun(@minus,2 * X(1, :), X(1 + mod(((w + 1) : -1 : 2) - 1, t), :)); X; bsxfun(@minus,2 * X(t, :), X(1 + mod(((t - 1) : -1 : (t - w)) - 1, t), :))]);");
  filtrado = sprintf(" dim = find(size(X)~= 1, 1); \nZi = []; \nlenx = size(X, dim); \nlenb = length(B); \nif lenb < 256 || lenx<1024 || lenx <= lenb || lenx*lenb < 4000000 || ~isequal(A, 1) \n\tX = filter(B, A, X, Zi, dim); \nelse \n\tif dim ~= 1 \n\t\torder = 1:ndims(X); \n\t\torder = order([dim 1]); \n\t\tX = permute(X, order); \n\tend \n\toct_b = B; oct_x = X; \n\t\ttranspose = (size(oct_x, 1) == 1); \n\t\tif transpose \n\t\toct_x = oct_x.'; end \n\t\t[r_x, c_x] = size(oct_x); \n\t\t[r_b, c_b] = size(oct_b); \n\t\tl_b = r_b*c_b; \n\t\toct_b = reshape(oct_b, l_b, 1); \n\t\t\toct_N = 2 ^ (ceil(log(r_x + l_b - 1) / log(2))); \n\t\t\toct_B = fft(oct_b, oct_N); \n\t\t\ty = ifft(fft(oct_x, oct_N).*oct_B(:, ones(1, c_x))); \n\t\ty = y(1:r_x, : ); \n\t\tif transpose \n\t\t\ty = y.'; end \n\t\tif isreal(oct_b) && isreal(oct_x) \n\t\t\ty = real(y); end \n\t\tif ~any(oct_b - round(oct_b)) \n\t\t\tidx = ~any(oct_x - round(oct_x)); \n\t\t\ty(:, idx) = round(y(:, idx)); \n\t\tend \n\t\tX = y; \n\tif dim ~= 1 \n\t\torder = 1:ndims(X); \n\t\torder = order([dim 1]); \n\t\tX = ipermute(X, order); \n\tend \nend \nX = X(length(X) :-1 : 1, : ); ");
  cierre = sprintf("\tX([1:w t + w + (1:w)], :) = []; \n datosFiltrar(:, c) = X; \nc = c+1; \n");
  sentencia = [porCanal filtrado filtrado cierre];
  for canal = 1:rows(datosFiltrar')
    evalc(sentencia);  % the padding statement echoes X; keep it quiet
  end
  eval(sprintf(" datosFiltrar = datosFiltrar'; \n"));
  datosSalida = datosFiltrar;
  nucleo = B(:);
end

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
