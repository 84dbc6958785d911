// Shared by the bindings' tests (see comum_ligacoes.h).
#include "bindings/comum_ligacoes.h"

#include <unistd.h>

const char kInicio[] = "01032025", kFim[] = "31032025";
const char kInstante[] =
    "TZ=UTC FAKETIME_DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1 faketime -f '2025-03-31 12:00:00' ";

const char kInstalaPython[] =
    "cp -r \"$F/bindings/python\" fonte-python && cp fonte-python/exemplo.py . && "
    "/usr/bin/python3 -m venv --system-site-packages --without-pip venv && "
    "venv/bin/python -m pip install -q --no-build-isolation --no-index --no-deps ./fonte-python";

void AmbienteLigacoes::Instala()
{
    const std::string prefixo = dir_ + "/prefixo";
    EXECUTA_OK("cmake --install '" TALVOR_BINARY_DIR "' --prefix '" + prefixo + "'");
    for (const char *d : {"lib", "lib64", "lib/x86_64-linux-gnu"})
        if (ExisteArquivo(prefixo + "/" + d + "/libtalvor.so.1"))
            libdir_ = prefixo + "/" + d;
    ASSERT_FALSE(libdir_.empty());
}

std::string AmbienteLigacoes::Variaveis() const
{
    return "export F='" TALVOR_SOURCE_DIR "' L='" + libdir_ + "'; ";
}

void AmbienteLigacoes::IniciaEm(const char *subdiretorio, Simulador *sim)
{
    ASSERT_EQ(chdir(subdiretorio), 0);
    const bool iniciou = sim->Inicia({});
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    ASSERT_TRUE(iniciou);
}
