# The twelve exports through ctypes: finding and loading the library, and
# turning Python arguments into the NUL-terminated 8-bit texts it takes.
import ctypes
import ctypes.util
import os
import sys
import threading


class ErroTexto(ValueError):
    """Um argumento de texto que não pode ir para a biblioteca."""


class ErroBiblioteca(OSError):
    """A biblioteca talvor não foi encontrada ou não carregou."""


_trava = threading.Lock()
_carregada = None


def _nomes_da_plataforma():
    if os.name == "nt":
        return ["talvor.dll"]
    if sys.platform == "darwin":
        return ["libtalvor.1.dylib", "libtalvor.dylib"]
    return ["libtalvor.so.1", "libtalvor.so"]


def _carrega():
    """Carrega a biblioteca (uma vez por processo) e declara as funções."""
    global _carregada
    with _trava:
        if _carregada is not None:
            return _carregada
        # On 32-bit Windows the exports are __stdcall; elsewhere the one
        # C convention of the platform.
        carregador = ctypes.WinDLL if os.name == "nt" else ctypes.CDLL
        caminho = os.environ.get("TALVOR_BIBLIOTECA")
        if caminho:
            candidatos = [caminho]
        else:
            candidatos = _nomes_da_plataforma()
            achado = ctypes.util.find_library("talvor")
            if achado and achado not in candidatos:
                candidatos.append(achado)
        erros = []
        for nome in candidatos:
            try:
                biblioteca = carregador(nome)
                break
            except OSError as e:
                erros.append("%s: %s" % (nome, e))
        else:
            raise ErroBiblioteca(
                "a biblioteca talvor não carregou (%s); indique o caminho dela na "
                "variável de ambiente TALVOR_BIBLIOTECA" % "; ".join(erros))
        for nome, parametros in _EXPORTACOES.items():
            funcao = getattr(biblioteca, nome)
            funcao.argtypes = [ctypes.c_char_p] * len(parametros)
            funcao.restype = ctypes.c_int32
        _carregada = biblioteca
        return biblioteca


def _texto(funcao, nome, valor, arquivo):
    """Os bytes que a biblioteca recebe por um argumento (None: ponteiro nulo,
    que ela lê como texto vazio)."""
    if valor is None:
        return None
    if arquivo and isinstance(valor, os.PathLike):
        valor = os.fspath(valor)
    if isinstance(valor, str):
        try:
            # The library opens file names as given: outside Windows they
            # are in the file system's encoding ("Arquivos Binários/" is
            # named in UTF-8 there); every other text is code page 1252.
            if arquivo and os.name != "nt":
                dados = os.fsencode(valor)
            else:
                dados = valor.encode("cp1252")
        except UnicodeEncodeError as e:
            c = valor[e.start]
            onde = ("na codificação de nomes de arquivo do sistema" if arquivo and os.name != "nt"
                    else "na página de código 1252")
            raise ErroTexto("talvor.%s: o argumento %s tem o caractere %r (U+%04X), que não existe %s"
                            % (funcao, nome, c, ord(c), onde)) from None
    elif isinstance(valor, (bytes, bytearray, memoryview)):
        dados = bytes(valor)
    else:
        raise TypeError("talvor.%s: o argumento %s deve ser str, bytes ou None, não %s"
                        % (funcao, nome, type(valor).__name__))
    if b"\0" in dados:
        raise ErroTexto("talvor.%s: o argumento %s contém o caractere NUL, que terminaria o texto"
                        % (funcao, nome))
    return dados


def _chama(funcao, *valores):
    parametros = _EXPORTACOES[funcao]
    argumentos = [_texto(funcao, nome, valor, nome.startswith("arquivo"))
                  for nome, valor in zip(parametros, valores)]
    return getattr(_carrega(), funcao)(*argumentos)


# Each export and the names of its parameters; "arquivo..." are file names.
_EXPORTACOES = {
    "Open": ("destino", "modelo"),
    "Close": (),
    "ImprimeLeituraX": (),
    "ImprimeLeituraMemoriaFiscal": ("tipo", "inicio", "fim"),
    "ImprimeFitaDetalhe": ("tipo", "inicio", "fim"),
    "LeBinarioMF": (),
    "LeSoftwareBasico": (),
    "DownloadMemorias": ("tipo", "parametro", "inicio", "fim"),
    "GeraEspelhos": ("arquivo", "tipo", "inicio", "fim"),
    "GeraEspelhoLMF": ("arquivoMF", "tipo", "faixa", "inicio", "fim"),
    "GeraRegistrosTipoE": ("arquivoMF", "arquivoMFD", "tipo"),
    "LeituraRZ": (),
}


def Open(destino, modelo):
    """Conecta-se à impressora: destino "COM1" a "COM7" (porta serial; no Linux
    o dispositivo da variável TALVOR_COM<n>, senão /dev/ttyS<n-1>), "COM0" ou
    "COM8" (USB HID); modelo "7720-QX3" ou "7720-RP5".
    Resultados: 0 conectado; 1 canal não aberto; 2 enlace não estabelecido;
    3 já conectado ou autenticação recusada; 4 modelo não aceito; 5 sem memória."""
    return _chama("Open", destino, modelo)


def Close():
    """Encerra a conexão.  Sempre 0."""
    return _chama("Close")


def ImprimeLeituraX():
    """A impressora imprime uma Leitura X.  0 impressa; 3 falhou."""
    return _chama("ImprimeLeituraX")


def ImprimeLeituraMemoriaFiscal(tipo, inicio, fim):
    """Leitura da Memória Fiscal: tipo "C" completa por redução (inicio e fim com
    4 dígitos), "D" completa por data (DDMMAAAA), "c" e "d" simplificadas.
    0 impressa; 3 tipo inválido ou falha."""
    return _chama("ImprimeLeituraMemoriaFiscal", tipo, inicio, fim)


def ImprimeFitaDetalhe(tipo, inicio, fim):
    """Fita detalhe: tipo "0" toda, "1" por COO (6 dígitos), "2" por data
    (DDMMAAAA).  0 impressa; 3 tipo inválido ou falha."""
    return _chama("ImprimeFitaDetalhe", tipo, inicio, fim)


def LeBinarioMF():
    """Copia a memória fiscal para "Arquivos MF/MF<id>_<data>_<hora>.BIN".
    0 copiada; 3 qualquer falha."""
    return _chama("LeBinarioMF")


def LeSoftwareBasico():
    """Copia o software básico para "Arquivos SB/SB<id>_<data>_<hora>.BIN".
    0 copiado; 3 identificação ou leitura falhou; 5 arquivo não criado."""
    return _chama("LeSoftwareBasico")


def DownloadMemorias(tipo, parametro, inicio, fim):
    """Copia memórias para "Arquivos Binários/": tipo "0" memória fiscal (.MF),
    "1" fita detalhe (.MFD), "2" ambas; parametro "0" por data (DDMMAAAA), "1"
    contador de 16 bits, "2" de 32 bits, "3" tudo.
    Resultados: 0 copiado; 5 início depois do fim; 96 caractere inválido numa
    data; 103 data inexistente; 7 tipo ou parametro inválido; 3 falha
    (5 quando o arquivo da fita não pôde ser criado)."""
    return _chama("DownloadMemorias", tipo, parametro, inicio, fim)


def GeraEspelhos(arquivo, tipo, inicio, fim):
    """Espelho da fita detalhe (EMFD...TXT em "Arquivos TXT Espelho/") de um
    arquivo .MFD ou .RZ: tipo "0" por data, "1" por COO, "2" todos.
    Resultados: 0 gerado; 7 tipo inválido; 5, 96, 103 erros de faixa; 3 nome
    sem extensão; 1 entrada ilegível ou saída não criada; 6 assinatura não
    confere ou fluxo danificado."""
    return _chama("GeraEspelhos", arquivo, tipo, inicio, fim)


def GeraEspelhoLMF(arquivoMF, tipo, faixa, inicio, fim):
    """Espelho da Leitura da Memória Fiscal (EMF...TXT em "Arquivos TXT
    Espelho/"): tipo "0" completa, "1" simplificada; faixa "0" por data
    (DDMMAAAA), "1" por redução (4 dígitos).
    Resultados: 0 gerado e assinado; 1 arquivo ausente ou curto; 2 espelho não
    criado; 3 tipo, faixa ou intervalo inválido, ou memória danificada."""
    return _chama("GeraEspelhoLMF", arquivoMF, tipo, faixa, inicio, fim)


def GeraRegistrosTipoE(arquivoMF, arquivoMFD, tipo):
    """Registros tipo E do Ato COTEPE/ICMS 17/04 em "Arquivos TXT Formatados/":
    tipo "0" da memória fiscal, "1" da fita detalhe, "2" ambos num arquivo,
    "3" de uma redução capturada (arquivoMFD é a captura).
    Resultados: 0 gerado (também para outro tipo, que nada faz); 1 captura
    ilegível; 3 falha do gerador."""
    return _chama("GeraRegistrosTipoE", arquivoMF, arquivoMFD, tipo)


def LeituraRZ():
    """Captura uma Redução Z lida com o scanner para "Arquivos Binários/".
    Sempre 0."""
    return _chama("LeituraRZ")
