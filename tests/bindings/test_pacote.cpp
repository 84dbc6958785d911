// The Debian package: "cpack -G DEB" of this build holds the library with
// its SONAME link, the tools, the header, talvor.pc, the CMake package, the
// manual pages and the bindings' sources, depends on what dpkg-shlibdeps
// found; unpacked into a scratch root it builds a program through its
// talvor.pc, and the C example runs the typical road with its library
// against its emulator.
#if !defined(_WIN32) && defined(TALVOR_SIM_PATH)

#include <gtest/gtest.h>

#include <string>

#include "bindings/comum_ligacoes.h"

namespace {

class PacoteDebian : public AmbienteLigacoes {};

TEST_F(PacoteDebian, HoldsEverythingAndServesTheCExample)
{
    EXECUTA_OK("cpack -G DEB -B pacote --config '" TALVOR_BINARY_DIR "/CPackConfig.cmake'");
    std::string deb, lista, dependencias;
    for (const std::string &n : ListaDiretorio("pacote"))
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".deb") == 0)
            deb = "pacote/" + n;
    ASSERT_FALSE(deb.empty());
    ASSERT_EQ(Executa("dpkg-deb -c " + deb, &lista), 0);
    for (const char *f : {"./usr/bin/talvor\n", "./usr/bin/talvor-sim\n", "/libtalvor.so.1 -> libtalvor.so.1.",
                          "/libtalvor.so -> libtalvor.so.1\n", "./usr/include/talvor/ecf.h\n",
                          "/pkgconfig/talvor.pc\n", "/cmake/talvor/talvorConfig.cmake\n",
                          "./usr/share/man/man1/talvor.1", "./usr/share/man/man1/talvor-sim.1",
                          "./usr/share/talvor/pascal/talvor.pas\n", "./usr/share/talvor/csharp/Talvor.cs\n",
                          "./usr/share/talvor/python/pyproject.toml\n"})
        EXPECT_NE(lista.find(f), std::string::npos) << f << "\n" << lista;
    ASSERT_EQ(Executa("dpkg-deb -f " + deb + " Depends", &dependencias), 0);
    EXPECT_NE(dependencias.find("libc6 ("), std::string::npos) << dependencias;
    EXPECT_NE(dependencias.find("libstdc++6 ("), std::string::npos) << dependencias;

    EXECUTA_OK("dpkg -x " + deb + " raiz");
    std::string libdir;
    ASSERT_EQ(Executa("dirname \"$(find raiz -name libtalvor.so.1)\" | tr -d '\\n'", &libdir), 0);
    const std::string pc = "PKG_CONFIG_PATH='" + libdir + "/pkgconfig' pkg-config ";
    GravaArquivo("liga.c", "#include <talvor/ecf.h>\nint main(void) { return Close(); }\n");
    EXECUTA_OK("cc -std=c11 -Wall -Werror -o liga liga.c $(" + pc + "--cflags --libs talvor)");
    EXECUTA_OK("LD_LIBRARY_PATH='" + libdir + "' ./liga");
    EXECUTA_OK("cc -std=c11 -Wall -Werror $(" + pc + "--cflags talvor) -o hospedeiro '" TALVOR_SOURCE_DIR
               "/examples/hospedeiro.c' -ldl");

    CriaDiretoriosSaida();
    Simulador sim;
    ASSERT_TRUE(sim.IniciaPrograma(dir_ + "/raiz/usr/bin/talvor-sim", {}));
    std::string saida;
    const int r = Executa("./hospedeiro '" + libdir + "/libtalvor.so.1' COM1 7720-QX3 " + kInicio + " " +
                              kFim + " 2>&1",
                          &saida);
    sim.Para();
    EXPECT_EQ(r, 0) << saida;
    EXPECT_NE(saida.find("tudo certo"), std::string::npos) << saida;
}

}  // namespace

#endif
