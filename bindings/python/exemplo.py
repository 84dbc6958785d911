#!/usr/bin/env python3
"""exemplo.py - um programa hospedeiro em Python: conecta-se à impressora,
imprime uma Leitura X, copia a memória fiscal, desconecta e gera, sem a
impressora, o espelho da LMF e os registros tipo E da cópia.

    python3 exemplo.py PORTA MODELO INICIO FIM
    por exemplo: python3 exemplo.py COM1 7720-QX3 01032025 31032025

Grava abaixo do diretório atual (cria os diretórios de saída).  Sai com 0
só quando cada passo devolveu o resultado esperado.
"""
import sys

import talvor


def main(argv):
    if len(argv) != 5:
        print("uso: exemplo.py PORTA MODELO INICIO FIM", file=sys.stderr)
        return 2
    porta, modelo, inicio, fim = argv[1:]
    falhas = 0

    def informa(passo, resultado, esperado=0):
        nonlocal falhas
        print("%-40s %d" % (passo, resultado))
        falhas += resultado != esperado

    talvor.cria_diretorios()
    informa("Open", talvor.Open(porta, modelo))
    informa("ImprimeLeituraX", talvor.ImprimeLeituraX())
    try:
        (mf,) = talvor.executa(talvor.LeBinarioMF)
    except talvor.ErroTalvor as e:
        informa("LeBinarioMF", e.resultado)
        talvor.Close()
        return 1
    informa("LeBinarioMF", 0)
    print("MF: %s" % mf)
    informa("Close", talvor.Close())

    informa("GeraEspelhoLMF (completa, por data)", talvor.GeraEspelhoLMF(mf, "0", "0", inicio, fim))
    informa("GeraRegistrosTipoE 0", talvor.GeraRegistrosTipoE(mf, None, "0"))
    # A bad argument and a missing text (None, the library's empty text).
    informa("DownloadMemorias tipo 9 (esperado 7)", talvor.DownloadMemorias("9", "0", inicio, fim), 7)
    informa("GeraEspelhos sem arquivo (esperado 3)", talvor.GeraEspelhos(None, "2", None, None), 3)
    print("tudo certo" if falhas == 0 else "houve falhas")
    return 0 if falhas == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
