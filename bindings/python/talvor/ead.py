# The EAD line check in plain Python: the file's last 259 bytes are "EAD"
# and 256 upper-case hexadecimal digits, an RSA signature (1024-bit modulus,
# no padding scheme) of the 128-byte block 0x10, MD5 of every byte before
# the line, 111 zero bytes.
import hashlib
import os

# The public key of keys/ead-public.pem ("talvor chave-publica").
MODULO = int(
    "A6F7E5BAD4A2AB591943E921268C242BFCAF8B695E3A1886F7A2669EE49143FC"
    "31B7E6BB2F858A36B8280A763E5214FF5B94DE30DCA9C029862E3D68DE0CF097"
    "F80996D313EF5F60304D7A83F3501AEFE30D2DD63E5F2BACD8872B4C5897C37E"
    "3811C790B08A711A9ECFAB9529AF646F66CC0BB54827C63A82A7C1C2AD3B1801", 16)
EXPOENTE = 65537

TAMANHO_LINHA = 259
_DIGITOS = frozenset(b"0123456789ABCDEF")


def verificar(caminho):
    """True quando o arquivo termina com uma linha EAD válida sobre todo o
    conteúdo anterior (como "talvor verificar"); False quando a linha falta ou
    não confere.  Um arquivo que não pode ser lido levanta OSError."""
    with open(caminho, "rb") as f:
        tamanho = os.fstat(f.fileno()).st_size
        if tamanho < TAMANHO_LINHA:
            return False
        resumo = hashlib.md5()
        falta = tamanho - TAMANHO_LINHA
        while falta > 0:
            pedaco = f.read(min(falta, 1 << 20))
            if not pedaco:
                return False
            resumo.update(pedaco)
            falta -= len(pedaco)
        linha = f.read(TAMANHO_LINHA)
    if len(linha) != TAMANHO_LINHA or linha[:3] != b"EAD" or not _DIGITOS.issuperset(linha[3:]):
        return False
    assinatura = int(linha[3:], 16)
    if assinatura >= MODULO:
        return False
    mensagem = int.from_bytes(b"\x10" + resumo.digest() + bytes(111), "big")
    return pow(assinatura, EXPOENTE, MODULO) == mensagem
