// Helpers shared by the test programs: a scratch working directory per
// test, whole-file reads and writes, and running external commands.
#ifndef TALVOR_TESTS_UTIL_H
#define TALVOR_TESTS_UTIL_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

std::string LeArquivo(const std::string &caminho);
bool ExisteArquivo(const std::string &caminho);
void GravaArquivo(const std::string &caminho, const std::string &conteudo);
std::vector<std::string> ListaDiretorio(const std::string &diretorio);

// Runs a shell command; returns its exit status and fills saida with its
// standard output.
int Executa(const std::string &comando, std::string *saida = nullptr);

// Sets or (valor null) removes an environment variable.
void DefineVariavel(const char *nome, const char *valor);

// Names of the five output directories as this platform spells them.
extern const char *const kDiretoriosSaida[5];

// A test that runs in a fresh empty directory (removed afterwards).
class DiretorioTemporario : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Creates the five output directories.
    void CriaDiretoriosSaida();
    std::string dir_;
    std::string anterior_;
};

#endif
