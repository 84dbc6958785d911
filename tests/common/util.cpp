// Helpers shared by the test programs.
#include "common/util.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/plataforma.h"

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

int Executa(const std::string &comando, std::string *saida)
{
    FILE *p = popen(comando.c_str(), "r");
    if (p == nullptr)
        return -1;
    std::string texto;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        texto.append(buf, n);
    int status = pclose(p);
    if (saida != nullptr)
        *saida = texto;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void DiretorioTemporario::SetUp()
{
    char modelo[] = "/tmp/talvor-teste-XXXXXX";
    char *d = mkdtemp(modelo);
    ASSERT_NE(d, nullptr);
    dir_ = d;
    char atual[4096];
    ASSERT_NE(getcwd(atual, sizeof atual), nullptr);
    anterior_ = atual;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
}

void DiretorioTemporario::TearDown()
{
    if (!anterior_.empty())
        (void)chdir(anterior_.c_str());
    if (!dir_.empty() && std::getenv("TALVOR_MANTER_TEMP") == nullptr)
        Executa("rm -rf '" + dir_ + "'");
}

void DiretorioTemporario::CriaDiretoriosSaida()
{
    for (const char *d : kDiretoriosSaida)
        ASSERT_EQ(CriaDiretorio(d), 0) << d;
}
