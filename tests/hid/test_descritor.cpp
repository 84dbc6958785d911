// Report descriptors as hidraw gives them: the top-level usage and the
// longest report of each kind, identifier byte included.
#include <gtest/gtest.h>

#include <string>

#include "common/util.h"
#include "platform/descritor_hid.h"

namespace {

InfoDispositivoHid Analisa(const std::string &d, int *r, uint16_t uso = 0x3800,
                           uint16_t pagina = 0xFF45)
{
    InfoDispositivoHid info {};
    *r = AnalisaDescritorHid(reinterpret_cast<const uint8_t *>(d.data()), d.size(), pagina, uso,
                             &info);
    return info;
}

// A descriptor accepted for the vendor page's usage: the longest reports.
InfoDispositivoHid Aceito(const std::string &d, uint16_t uso, unsigned entrada, unsigned saida,
                          unsigned recurso)
{
    int r = -1;
    InfoDispositivoHid i = Analisa(d, &r, uso);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(i.pagina, 0xFF45);
    EXPECT_EQ(i.uso, uso);
    EXPECT_EQ(i.entrada, entrada);
    EXPECT_EQ(i.saida, saida);
    EXPECT_EQ(i.recurso, recurso);
    return i;
}

TEST(DescritorHid, PrinterWithNumberedReports)
{
    std::string d = Octetos({0x06, 0x45, 0xFF,        // usage page 0xFF45
                             0x0A, 0x00, 0x38,        // usage 0x3800
                             0xA1, 0x01,              // application collection
                             0x75, 0x08,              // report size 8
                             0x85, 0x01, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02,   // id 1: input 63
                             0x85, 0x01, 0x96, 0xFD, 0x07, 0x09, 0x02, 0xB1, 0x02,   // feature 2045
                             0x85, 0x02, 0x95, 0x3F, 0x09, 0x03, 0x91, 0x02,   // id 2: output 63
                             0x85, 0x01, 0x95, 0x20, 0x09, 0x04, 0x91, 0x02,   // id 1: output 32
                             0xA1, 0x02, 0x09, 0x05, 0xC0,                      // nested collection
                             0xC0});
    Aceito(d, 0x3800, 64, 64, 2046);
}

TEST(DescritorHid, ScannerWithoutReportIdsAndAFourByteUsage)
{
    std::string d = Octetos({0x0B, 0x00, 0x4B, 0x45, 0xFF,   // usage 0xFF45:4B00
                             0xA1, 0x01, 0x75, 0x01, 0x95, 0x0C, 0x81, 0x02,   // 12 bits in
                             0xC0});
    Aceito(d, 0x4B00, 3, 0, 0);
}

TEST(DescritorHid, CutOrCollectionlessDescriptorsAreRefused)
{
    for (const std::string &d : {Octetos({0x06, 0x45}), Octetos({0x05, 0x01, 0x09, 0x06, 0x75, 0x08}),
                                 Octetos({0xFE, 0x40}), std::string()}) {
        int r = 0;
        Analisa(d, &r);
        EXPECT_EQ(r, 1);
    }
}

TEST(DescritorHid, AnyTopLevelCollectionSizedOnItsOwn)
{
    // A keyboard (report 1, 8 bytes in) before the vendor collection
    // (report 2: 20 bytes in, 5 out), Push and Pop between them.
    std::string d = Octetos({0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x08,
                             0x81, 0x02, 0xC0, 0xA4, 0x75, 0x01, 0xB4, 0x06, 0x45, 0xFF, 0x0A, 0x00,
                             0x38, 0xA1, 0x01, 0x85, 0x02, 0x95, 0x14, 0x81, 0x02, 0x95, 0x05, 0x91,
                             0x02, 0xC0});
    EXPECT_EQ(Aceito(d, 0x3800, 21, 6, 0).numerados, HID_NUMERA_ENTRADA | HID_NUMERA_SAIDA);
    int r = 0;
    Analisa(d, &r, 0x4B00);
    EXPECT_EQ(r, 1);
}

TEST(DescritorHid, WhatTheSystemRefusesMatchesNothing)
{
    const std::string impressora = Octetos({0x06, 0x45, 0xFF, 0x0A, 0x00, 0x38, 0xA1, 0x01});
    for (const std::string &resto : {
             Octetos({0xC0, 0xC0}),                                  // End Collection with none open
             Octetos({0xA1, 0x02}),                                  // never closed
             Octetos({0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xC0}),          // global stack overflow
             Octetos({0xB4, 0xC0}),                                  // Pop without Push
             Octetos({0x85, 0x00, 0xC0}),                            // report id 0
             Octetos({0xFE, 0x05, 0x10, 0x01, 0xC0}),                // long item cut short
         }) {
        int r = 0;
        Analisa(impressora + resto, &r);
        EXPECT_EQ(r, 1);
    }
}

}  // namespace
