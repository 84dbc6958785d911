// Helpers shared by the test programs (POSIX and Windows).
#include "common/util.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#if defined(_WIN32)
#include <direct.h>
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/plataforma.h"
#include "talvor/ecf.h"

const char *const kDiretoriosSaida[5] = {"Arquivos MF/", DIR_BINARIOS, "Arquivos SB/",
                                         "Arquivos TXT Formatados/", "Arquivos TXT Espelho/"};

std::string LeArquivo(const std::string &caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool ExisteArquivo(const std::string &caminho)
{
    struct stat st {};
    return stat(caminho.c_str(), &st) == 0;
}

void GravaArquivo(const std::string &caminho, const std::string &conteudo)
{
    std::ofstream f(caminho, std::ios::binary | std::ios::trunc);
    f.write(conteudo.data(), static_cast<std::streamsize>(conteudo.size()));
}

std::vector<std::string> ListaDiretorio(const std::string &diretorio)
{
    std::vector<std::string> nomes;
    DIR *d = opendir(diretorio.c_str());
    if (d == nullptr)
        return nomes;
    while (struct dirent *e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..")
            nomes.push_back(n);
    }
    closedir(d);
    return nomes;
}

std::string UnicoArquivo(const std::string &dir)
{
    std::vector<std::string> nomes = ListaDiretorio(dir);
    EXPECT_EQ(nomes.size(), 1u) << dir;
    return nomes.empty() ? std::string() : dir + nomes[0];
}

std::string UnicoConteudo(const std::string &dir, const std::string &prefixo)
{
    const std::string caminho = UnicoArquivo(dir);
    EXPECT_EQ(caminho.substr(dir.size(), prefixo.size()), prefixo);
    return caminho.empty() ? std::string() : LeArquivo(caminho);
}

std::vector<std::string> Linhas(const std::string &texto, std::string *resto)
{
    std::vector<std::string> linhas;
    size_t p = 0;
    for (size_t q; (q = texto.find("\r\n", p)) != std::string::npos; p = q + 2)
        linhas.push_back(texto.substr(p, q - p));
    if (resto != nullptr)
        *resto = texto.substr(p);
    else if (p != texto.size())
        ADD_FAILURE() << "text after the last line end";
    return linhas;
}

std::string Octetos(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

int Executa(const std::string &comando, std::string *saida)
{
#if defined(_WIN32)
    // cmd.exe drops the first and the last quote of the line: wrapping the
    // whole command in one more pair keeps the command's own quoting.
    FILE *p = _popen(("\"" + comando + "\"").c_str(), "rb");
#else
    FILE *p = popen(comando.c_str(), "r");
#endif
    if (p == nullptr)
        return -1;
    std::string texto;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        texto.append(buf, n);
    if (saida != nullptr)
        *saida = texto;
#if defined(_WIN32)
    return _pclose(p);
#else
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

void DefineVariavel(const char *nome, const char *valor)
{
#if defined(_WIN32)
    _putenv_s(nome, valor != nullptr ? valor : "");
#else
    if (valor != nullptr)
        setenv(nome, valor, 1);
    else
        unsetenv(nome);
#endif
}

FusoHorario::FusoHorario(const char *tz)
{
    const char *antes = std::getenv("TZ");
    havia_ = antes != nullptr;
    anterior_ = havia_ ? antes : "";
    Muda(tz);
}

FusoHorario::~FusoHorario()
{
    DefineVariavel("TZ", havia_ ? anterior_.c_str() : nullptr);
}

void FusoHorario::Muda(const char *tz)
{
    DefineVariavel("TZ", tz);
}

#if defined(_WIN32)
static bool CriaTemporario(std::string *dir)
{
    char base[MAX_PATH];
    if (GetTempPathA(sizeof base, base) == 0)
        return false;
    for (unsigned i = 0; i < 1000; ++i) {
        std::string d = std::string(base) + "talvor-teste-" + std::to_string(GetCurrentProcessId()) +
                        "-" + std::to_string(GetTickCount()) + "-" + std::to_string(i);
        if (CreateDirectoryA(d.c_str(), nullptr)) {
            *dir = d;
            return true;
        }
    }
    return false;
}
#endif

void DiretorioTemporario::SetUp()
{
#if defined(_WIN32)
    ASSERT_TRUE(CriaTemporario(&dir_));
    char atual[4096];
    ASSERT_NE(_getcwd(atual, sizeof atual), nullptr);
    anterior_ = atual;
    ASSERT_EQ(_chdir(dir_.c_str()), 0);
#else
    char modelo[] = "/tmp/talvor-teste-XXXXXX";
    char *d = mkdtemp(modelo);
    ASSERT_NE(d, nullptr);
    dir_ = d;
    char atual[4096];
    ASSERT_NE(getcwd(atual, sizeof atual), nullptr);
    anterior_ = atual;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
#endif
}

void DiretorioTemporario::TearDown()
{
    if (anterior_.empty())
        return;
#if defined(_WIN32)
    (void)_chdir(anterior_.c_str());
    if (!dir_.empty() && std::getenv("TALVOR_MANTER_TEMP") == nullptr)
        Executa("rmdir /s /q \"" + dir_ + "\"");
#else
    (void)chdir(anterior_.c_str());
    if (!dir_.empty() && std::getenv("TALVOR_MANTER_TEMP") == nullptr)
        Executa("rm -rf '" + dir_ + "'");
#endif
}

void DiretorioTemporario::CriaDiretoriosSaida()
{
    for (const char *d : kDiretoriosSaida)
        ASSERT_EQ(CriaDiretorio(d), 0) << d;
}

void SemConexao::SetUp()
{
    DiretorioTemporario::SetUp();
    CriaDiretoriosSaida();
    Close();
}

void SemConexao::TearDown()
{
    Close();
    DiretorioTemporario::TearDown();
}
