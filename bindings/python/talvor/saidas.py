# Helpers around the five output directories: creating them, and calling an
# export to get back the files it wrote.
import os

# The five output directories below the current working directory.
DIRETORIOS = (
    "Arquivos MF",
    "Arquivos Binários",
    "Arquivos SB",
    "Arquivos TXT Formatados",
    "Arquivos TXT Espelho",
)


class ErroTalvor(RuntimeError):
    """Uma função da biblioteca devolveu um resultado diferente de 0."""

    def __init__(self, funcao, resultado):
        super().__init__("talvor.%s devolveu %d" % (funcao, resultado))
        self.funcao = funcao
        self.resultado = resultado


def cria_diretorios(base="."):
    """Cria em base (o diretório atual) os cinco diretórios de saída que
    faltarem; a biblioteca grava neles e não os cria."""
    for d in DIRETORIOS:
        os.makedirs(os.path.join(base, d), exist_ok=True)


def _retrato():
    arquivos = {}
    for d in DIRETORIOS:
        try:
            entradas = list(os.scandir(d))
        except FileNotFoundError:
            continue
        for e in entradas:
            if e.is_file():
                s = e.stat()
                arquivos[d + "/" + e.name] = (s.st_mtime_ns, s.st_size, s.st_ino)
    return arquivos


def executa(funcao, *argumentos):
    """Chama uma das funções do pacote (talvor.LeBinarioMF, talvor.GeraEspelhos,
    ...) com os argumentos e devolve a lista, em ordem de nome, dos arquivos
    que ela gravou ou alterou nos diretórios de saída, com caminhos relativos
    ao diretório atual (por exemplo ["Arquivos MF/MFTV0123_20250331_120000.BIN"]).
    Levanta ErroTalvor quando o resultado não é 0."""
    antes = _retrato()
    resultado = funcao(*argumentos)
    if resultado != 0:
        raise ErroTalvor(funcao.__name__, resultado)
    depois = _retrato()
    return sorted(c for c, marca in depois.items() if antes.get(c) != marca)
