"""talvor: as funções da biblioteca das impressoras fiscais Talvor (modelos
7720-QX3 e 7720-RP5).

As doze funções têm os nomes da biblioteca (Open, Close, ImprimeLeituraX,
LeBinarioMF, GeraEspelhoLMF, ...), recebem str (página de código 1252; nomes
de arquivo, fora do Windows, na codificação do sistema de arquivos), bytes ou
None (texto vazio) e devolvem o resultado int da biblioteca, 0 para sucesso.
A biblioteca é carregada na primeira chamada, do caminho da variável de
ambiente TALVOR_BIBLIOTECA ou, sem ela, pelo nome (talvor.dll,
libtalvor.so.1).  As funções gravam abaixo do diretório atual, nos cinco
diretórios de saída (cria_diretorios); executa devolve os arquivos que uma
função gravou e verificar confere a linha de assinatura EAD de um arquivo.
"""
from ._biblioteca import (Close, DownloadMemorias, ErroBiblioteca, ErroTexto, GeraEspelhoLMF,
                          GeraEspelhos, GeraRegistrosTipoE, ImprimeFitaDetalhe,
                          ImprimeLeituraMemoriaFiscal, ImprimeLeituraX, LeBinarioMF,
                          LeituraRZ, LeSoftwareBasico, Open)
from .ead import verificar
from .saidas import DIRETORIOS, ErroTalvor, cria_diretorios, executa

__version__ = "1.0.41"

__all__ = [
    "Open", "Close", "ImprimeLeituraX", "ImprimeLeituraMemoriaFiscal", "ImprimeFitaDetalhe",
    "LeBinarioMF", "LeSoftwareBasico", "DownloadMemorias", "GeraEspelhos", "GeraEspelhoLMF",
    "GeraRegistrosTipoE", "LeituraRZ",
    "ErroTexto", "ErroBiblioteca", "ErroTalvor", "DIRETORIOS", "cria_diretorios", "executa",
    "verificar",
]
