% Drift removal by the literal engine statements, in this function's own
% workspace (empty, as after "clear"). Used by generar_referencias.m and by
% bench/asr to time Octave on the same data.
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

