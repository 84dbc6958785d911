// The "EAD" signature line: "EAD" and 256 upper-case hexadecimal digits, the
// RSA signature S = M^d mod N of the 128-byte block M = 0x10, the 16 MD5
// bytes of everything before the line, 111 zero bytes (byte 0 most
// significant).  Signing, appending and the checks of the files read back.
#include "files/assinatura.h"

#include <cstring>

#include "files/bignum.h"
#include "files/chave.h"
#include "files/md5.h"
#include "platform/plataforma.h"

namespace {

// The running digest of the signature being computed (one at a time).
Md5Contexto g_md5;

// Files are read in large pieces: the digest often runs over whole downloads.
constexpr size_t PEDACO = 64 * 1024;
uint8_t g_pedaco[PEDACO];

// Starts a fresh digest over the first comprimento bytes of the file.  0, or
// 1 when they could not all be read (the digest then covers what was read).
int DigereInicio(FILE *f, uint64_t comprimento)
{
    Md5Init(&g_md5);
    if (f == nullptr || std::fseek(f, 0, SEEK_SET) != 0)
        return 1;
    while (comprimento > 0) {
        size_t pedir = comprimento < PEDACO ? static_cast<size_t>(comprimento) : PEDACO;
        size_t lidos = std::fread(g_pedaco, 1, pedir, f);
        Md5Update(&g_md5, g_pedaco, lidos);
        comprimento -= lidos;
        if (lidos != pedir)
            return 1;
    }
    return 0;
}

}  // namespace

void SignDigest(char *destino)
{
    AssinaDigesto(&g_md5, destino);
}

void AssinaDigesto(Md5Contexto *md5, char *destino)
{
    uint8_t bloco[BYTES_CHAVE] = {};
    bloco[0] = 16;
    Md5Final(md5, bloco + 1);

    uint8_t modulo[BYTES_CHAVE];
    ModuloPublico(modulo);
    uint64_t n[LIMBS_NUMERO], m[LIMBS_NUMERO], s[LIMBS_NUMERO];
    BytesParaLimbs(modulo, n);
    DefineModulo(n);
    BytesParaLimbs(bloco, m);
    ExpMod(m, kExpoenteMascarado, BYTES_CHAVE, MascaraChave, s);

    static const char kDigitos[] = "0123456789ABCDEF";
    char *p = destino;
    for (unsigned i = LIMBS_NUMERO; i-- > 0;) {
        for (int deslocamento = 24; deslocamento >= 0; deslocamento -= 8) {
            unsigned byte = static_cast<unsigned>(s[i] >> deslocamento) & 0xFF;
            *p++ = kDigitos[byte >> 4];
            *p++ = kDigitos[byte & 0x0F];
        }
    }
}

int SignFileBytes(FILE *arquivo, uint64_t comprimento, char *destino)
{
    int r = DigereInicio(arquivo, comprimento);
    SignDigest(destino);
    return r;
}

int AppendSignatureLine(const char *caminho)
{
    // Only an existing regular file: a wrong path is not created and signed,
    // and a device that never ends is not read.
    uint64_t tamanho = 0;
    if (caminho == nullptr || TamanhoArquivo(caminho, &tamanho) != 0)
        return 1;
    FILE *f = std::fopen(caminho, "r+b");
    if (f == nullptr)
        return 1;
    if (DigereInicio(f, tamanho) != 0) {
        std::fclose(f);
        return 1;
    }
    char linha[TAMANHO_LINHA_EAD];
    std::memcpy(linha, "EAD", 3);
    SignDigest(linha + 3);
    // Right after the bytes just signed, and on the disk before it counts.
    bool ok = std::fseek(f, 0, SEEK_CUR) == 0 &&
              GanchoArquivo(ARQ_ESCREVE, caminho, nullptr, tamanho) == 0 &&
              std::fwrite(linha, 1, TAMANHO_LINHA_EAD, f) == TAMANHO_LINHA_EAD;
    ok = ok && SincronizaArquivo(f) == 0;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        // A line written in part (a full disk) would leave the file with a
        // broken trailer: cut it back to what it was.
        TruncaArquivo(caminho, tamanho);
        return 1;
    }
    return 0;
}

int VerifySignature(FILE *arquivo, uint64_t comprimento, const char *esperado)
{
    char calculada[DIGITOS_ASSINATURA];
    if (SignFileBytes(arquivo, comprimento, calculada) != 0 || esperado == nullptr)
        return 6;
    // All 256 characters: a NUL among them is a mismatch like any other.
    return std::memcmp(calculada, esperado, DIGITOS_ASSINATURA) == 0 ? 0 : 6;
}

int VerificaAssinaturaFinal(FILE *arquivo, uint64_t tamanho)
{
    if (arquivo == nullptr || tamanho < TAMANHO_LINHA_EAD)
        return 1;
    // The body is read from the start and the line right after it, so no
    // seek beyond the start is needed, whatever the size.
    if (DigereInicio(arquivo, tamanho - TAMANHO_LINHA_EAD) != 0)
        return 1;
    char linha[TAMANHO_LINHA_EAD];
    if (std::fread(linha, 1, TAMANHO_LINHA_EAD, arquivo) != TAMANHO_LINHA_EAD)
        return 1;
    char calculada[DIGITOS_ASSINATURA];
    SignDigest(calculada);
    // The three letters themselves are not compared.
    return std::memcmp(calculada, linha + 3, DIGITOS_ASSINATURA) == 0 ? 0 : 6;
}

int AbreEntradaAssinada(const char *caminho, FILE **arquivo, uint64_t *tamanho)
{
    *arquivo = nullptr;
    FILE *f = std::fopen(caminho, "rb");
    if (f == nullptr)
        return 1;
    uint64_t fim = 0;
    if (TamanhoAberto(f, &fim) != 0 || fim < TAMANHO_LINHA_EAD) {
        std::fclose(f);
        return 1;
    }
    int r = VerificaAssinaturaFinal(f, fim);
    if (r != 0) {
        std::fclose(f);
        return r == 6 ? 6 : 1;
    }
    *arquivo = f;
    *tamanho = fim;
    return 0;
}
