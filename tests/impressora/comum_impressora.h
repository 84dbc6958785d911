// Shared by the end-to-end tests: a test in a fresh directory with the
// output directories, an emulator on a pseudo-terminal, and the checks of
// downloaded files (content before the signature line, and the line when
// this build can sign).
#ifndef TALVOR_TESTS_IMPRESSORA_COMUM_H
#define TALVOR_TESTS_IMPRESSORA_COMUM_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/construtor_fd.h"
#include "common/simulador.h"
#include "common/util.h"
#include "talvor/ecf.h"

constexpr char kIdSim[] = "TV0123SIM78901234567";

class ComImpressora : public SemConexao {
protected:
    void TearDown() override
    {
        Close();
        sim_.Para();
        SemConexao::TearDown();
    }
    // Starts the emulator and connects; the result of Open.
    int Conecta(const std::vector<std::string> &opcoes)
    {
        EXPECT_TRUE(sim_.Inicia(opcoes));
        return Open("COM1", "7720-QX3");
    }
    Simulador sim_;
};

// The result a finished download gives in this build: 0 when files can be
// signed, else the failure of the signature step.
inline int ResultadoEsperado(int semAssinatura)
{
    return AssinaturaDisponivel() ? 0 : semAssinatura;
}

// The downloaded file holds exactly esperado, followed by a valid signature
// line when the build can sign (and by nothing when it cannot).
void ConfereDownload(const std::string &caminho, const std::string &esperado);

// Bytes of a test image: every 128-byte block differs.
std::string ImagemTeste(size_t tamanho, unsigned semente);

#endif
