// The library's outer surface: the dynamic symbols of the shared library,
// its SONAME, the installed files, and a C host program built against the
// installed header.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>

#include "common/util.h"

static const std::set<std::string> kExportacoes = {
    "Open",         "Close",           "ImprimeLeituraX", "ImprimeLeituraMemoriaFiscal",
    "ImprimeFitaDetalhe", "LeBinarioMF", "LeSoftwareBasico", "DownloadMemorias",
    "GeraEspelhos", "GeraEspelhoLMF", "GeraRegistrosTipoE", "LeituraRZ"};

// nm -D names a versioned symbol "Open@@TALVOR_1": every one of the twelve
// carries the version node TALVOR_1.
TEST(Superficie, OnlyTheTwelveExportsAreVisible)
{
    std::string saida;
    ASSERT_EQ(Executa(std::string("nm -D --defined-only '") + TALVOR_SHARED_LIB_PATH + "'", &saida),
              0);
    std::set<std::string> funcoes;
    std::istringstream linhas(saida);
    std::string linha;
    while (std::getline(linhas, linha)) {
        std::istringstream campos(linha);
        std::string endereco, tipo, nome;
        campos >> endereco >> tipo >> nome;
        if (nome.empty())
            continue;
        // Symbol versions and the loader's own markers are not functions.
        if (tipo != "T" && tipo != "W" && tipo != "D" && tipo != "B")
            continue;
        const size_t arroba = nome.find("@@");
        EXPECT_EQ(arroba == std::string::npos ? "" : nome.substr(arroba + 2), "TALVOR_1") << nome;
        funcoes.insert(nome.substr(0, arroba));
    }
    EXPECT_EQ(funcoes, kExportacoes);
}

TEST(Superficie, SharedLibraryHasItsSoname)
{
    std::string saida;
    ASSERT_EQ(Executa(std::string("objdump -p '") + TALVOR_SHARED_LIB_PATH + "'", &saida), 0);
    EXPECT_NE(saida.find("SONAME               libtalvor.so.1"), std::string::npos) << saida;
}

class Instalacao : public DiretorioTemporario {};

TEST_F(Instalacao, InstalledFilesServeACHostProgram)
{
    const std::string prefixo = dir_ + "/prefixo";
    std::string saida;
    ASSERT_EQ(Executa(std::string("cmake --install '") + TALVOR_BINARY_DIR + "' --prefix '" +
                          prefixo + "' 2>&1",
                      &saida),
              0)
        << saida;
    std::string libdir;
    for (const char *d : {"lib", "lib64", "lib/x86_64-linux-gnu"}) {
        if (ExisteArquivo(prefixo + "/" + d + "/libtalvor.so"))
            libdir = prefixo + "/" + d;
    }
    ASSERT_FALSE(libdir.empty());
    EXPECT_TRUE(ExisteArquivo(libdir + "/libtalvor.so.1"));
    EXPECT_TRUE(ExisteArquivo(prefixo + "/bin/talvor"));
    EXPECT_TRUE(ExisteArquivo(prefixo + "/include/talvor/ecf.h"));
    EXPECT_TRUE(ExisteArquivo(libdir + "/pkgconfig/talvor.pc"));
    EXPECT_TRUE(ExisteArquivo(libdir + "/cmake/talvor/talvorConfig.cmake"));
    EXPECT_TRUE(ExisteArquivo(prefixo + "/share/man/man1/talvor.1"));
    EXPECT_TRUE(ExisteArquivo(prefixo + "/share/man/man1/talvor-sim.1"));

    GravaArquivo("hospedeiro.c",
                 "#include <talvor/ecf.h>\n"
                 "#include <stdio.h>\n"
                 "int main(void) {\n"
                 "  if (Open(\"pasta\", \"7720-QX3\") != 0) return 1;\n"
                 "  if (Open(\"pasta\", \"7720-QX3\") != 3) return 2;\n"
                 "  if (Close() != 0) return 3;\n"
                 "  if (GeraRegistrosTipoE(\"a\", \"b\", \"7\") != 0) return 4;\n"
                 "  if (Open(\"COM1\", \"modelo\") != 4) return 5;\n"
                 "  puts(\"ok\");\n"
                 "  return 0;\n"
                 "}\n");
    const std::string pc = "PKG_CONFIG_PATH='" + libdir + "/pkgconfig' pkg-config --define-variable=prefix='" +
                           prefixo + "'";
    // A sanitized library needs a host built with the same runtime.
    const std::string sanitizar = TALVOR_SANITIZE_FLAGS;
    ASSERT_EQ(Executa("cc -std=c99 -Wall -Werror " + sanitizar + " -o hospedeiro hospedeiro.c $(" + pc +
                          " --cflags --libs talvor) 2>&1",
                      &saida),
              0)
        << saida;
    ASSERT_EQ(Executa("LD_LIBRARY_PATH='" + libdir + "' ./hospedeiro", &saida), 0) << saida;
    EXPECT_EQ(saida, "ok\n");

    // The CMake package finds the same library.
    Executa("mkdir -p consumidor");
    GravaArquivo("consumidor/CMakeLists.txt",
                 "cmake_minimum_required(VERSION 3.20)\n"
                 "project(consumidor C)\n"
                 "find_package(talvor 1 REQUIRED)\n"
                 "add_executable(hospedeiro ../hospedeiro.c)\n"
                 "target_link_libraries(hospedeiro PRIVATE talvor::talvor)\n");
    ASSERT_EQ(Executa("cmake -S consumidor -B consumidor/build -DCMAKE_PREFIX_PATH='" + prefixo +
                          "' -DCMAKE_C_FLAGS='" + sanitizar + "' >/dev/null 2>&1 && cmake --build consumidor/build 2>&1",
                      &saida),
              0)
        << saida;
    ASSERT_EQ(Executa("LD_LIBRARY_PATH='" + libdir + "' consumidor/build/hospedeiro", &saida), 0);
}
