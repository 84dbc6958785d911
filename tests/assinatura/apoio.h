// Helpers of the signature tests: hexadecimal texts, random bytes, and the
// independent checkers (python3, openssl, md5sum) the results are held to.
#ifndef TALVOR_TESTS_ASSINATURA_APOIO_H
#define TALVOR_TESTS_ASSINATURA_APOIO_H

#include <cstdint>
#include <random>
#include <string>

std::string Hex(const void *bytes, size_t n);
std::string BytesAleatorios(std::mt19937 &g, size_t n);

// True when the command runs (exit status 0): the tests that need it are
// skipped where it is missing.
bool Disponivel(const std::string &comando);

// Writes the script into the current directory and runs python3 on it;
// returns its standard output ("" when it failed).
std::string RodaPython(const std::string &script);

// The modulus of keys/ead-public.pem as openssl reads it, upper-case hex.
std::string ModuloPorOpenssl();

std::string CaminhoChavePublica();

#endif
