// The "EAD" signature line: "EAD" and 256 upper-case hexadecimal digits, a
// textbook RSA signature (1024-bit modulus, private exponent) over the MD5
// digest of every byte before it.
#ifndef TALVOR_FILES_ASSINATURA_H
#define TALVOR_FILES_ASSINATURA_H

#include <cstdint>
#include <cstdio>

constexpr unsigned TAMANHO_LINHA_EAD = 259;
constexpr unsigned DIGITOS_ASSINATURA = 256;

// Signs the file and appends its line, on the disk before it returns.  0,
// or 1 when the file cannot be opened, read or appended to (then nothing is
// appended).
int AppendSignatureLine(const char *caminho);

// Digest of the first comprimento bytes of the open file, then SignDigest.
// 0, or 1 when the bytes could not all be read.
int SignFileBytes(FILE *arquivo, uint64_t comprimento, char *destino256);

// Finishes the running digest and writes the 256 digits of the signature.
void SignDigest(char *destino256);

// The same over a digest of the caller's (the output writer's).
struct Md5Contexto;
void AssinaDigesto(Md5Contexto *md5, char *destino256);

// 0 when the signature over the first comprimento bytes equals the 256
// expected characters (all 256 compared), else 6.
int VerifySignature(FILE *arquivo, uint64_t comprimento, const char *esperado256);

// Checks the 259-byte trailer at the end of an open file of the given size
// over everything before it: 0 matches, 1 the trailer cannot be read, 6 it
// does not match.
int VerificaAssinaturaFinal(FILE *arquivo, uint64_t tamanho);

// Opens a signed input file and checks its trailer: 0 with the open file
// and its size, 1 when it cannot be opened or holds no trailer, 6 when the
// trailer does not match (the file is closed on every failure).
int AbreEntradaAssinada(const char *caminho, FILE **arquivo, uint64_t *tamanho);

#endif
