// Helpers shared by the test programs: a scratch working directory per
// test, whole-file reads and writes, lines of a text, running external
// commands and the time zone.
#ifndef TALVOR_TESTS_UTIL_H
#define TALVOR_TESTS_UTIL_H

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

std::string LeArquivo(const std::string &caminho);
bool ExisteArquivo(const std::string &caminho);
void GravaArquivo(const std::string &caminho, const std::string &conteudo);
std::vector<std::string> ListaDiretorio(const std::string &diretorio);
// The only file of a directory, as dir + name (a failure when there is not
// exactly one).
std::string UnicoArquivo(const std::string &dir);
// The content of that file, whose name must begin with prefixo.
std::string UnicoConteudo(const std::string &dir, const std::string &prefixo = "");

// The lines of a text, each ended by "\r\n", without their ends; what
// follows the last end (a signature line) is left in *resto, or is a
// failure when resto is null.
std::vector<std::string> Linhas(const std::string &texto, std::string *resto = nullptr);

// A line of the given width with texts placed at their columns (a text
// that reaches past the end lengthens it).
struct Colunas {
    std::string t;
    explicit Colunas(size_t largura) : t(largura, ' ') {}
    Colunas &em(size_t coluna, const std::string &texto)
    {
        t.replace(coluna, texto.size(), texto);
        return *this;
    }
    std::string fim() const { return t + "\r\n"; }
};

// Bytes written as numbers.
std::string Octetos(std::initializer_list<int> bytes);

// Runs a shell command; returns its exit status and fills saida with its
// standard output.
int Executa(const std::string &comando, std::string *saida = nullptr);

// Sets or (valor null) removes an environment variable.
void DefineVariavel(const char *nome, const char *valor);

// TZ set for the object's lifetime, then put back as it was.
class FusoHorario {
public:
    explicit FusoHorario(const char *tz);
    ~FusoHorario();
    void Muda(const char *tz);

private:
    bool havia_;
    std::string anterior_;
};

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

// A fresh directory with the output directories, and no connection left
// open before or after the test.
class SemConexao : public DiretorioTemporario {
protected:
    void SetUp() override;
    void TearDown() override;
};

#endif
