// Report descriptors as hidraw gives them: the top-level usage and the
// longest report of each kind, identifier byte included.
#include <gtest/gtest.h>

#include <string>

#include "platform/descritor_hid.h"

namespace {

std::string D(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

InfoDispositivoHid Analisa(const std::string &d, int *r, uint16_t uso = 0x3800,
                           uint16_t pagina = 0xFF45)
{
    InfoDispositivoHid info {};
    *r = AnalisaDescritorHid(reinterpret_cast<const uint8_t *>(d.data()), d.size(), pagina, uso,
                             &info);
    return info;
}

TEST(DescritorHid, PrinterWithNumberedReports)
{
    std::string d = D({0x06, 0x45, 0xFF,        // usage page 0xFF45
                       0x0A, 0x00, 0x38,        // usage 0x3800
                       0xA1, 0x01,              // application collection
                       0x75, 0x08,              // report size 8
                       0x85, 0x01, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02,   // id 1: input 63
                       0x85, 0x01, 0x96, 0xFD, 0x07, 0x09, 0x02, 0xB1, 0x02,   // feature 2045
                       0x85, 0x02, 0x95, 0x3F, 0x09, 0x03, 0x91, 0x02,   // id 2: output 63
                       0x85, 0x01, 0x95, 0x20, 0x09, 0x04, 0x91, 0x02,   // id 1: output 32
                       0xA1, 0x02, 0x09, 0x05, 0xC0,                      // nested collection
                       0xC0});
    int r = 0;
    InfoDispositivoHid i = Analisa(d, &r);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(i.pagina, 0xFF45);
    EXPECT_EQ(i.uso, 0x3800);
    EXPECT_EQ(i.entrada, 64u);
    EXPECT_EQ(i.saida, 64u);
    EXPECT_EQ(i.recurso, 2046u);
}

TEST(DescritorHid, ScannerWithoutReportIdsAndAFourByteUsage)
{
    std::string d = D({0x0B, 0x00, 0x4B, 0x45, 0xFF,   // usage 0xFF45:4B00
                       0xA1, 0x01, 0x75, 0x01, 0x95, 0x0C, 0x81, 0x02,   // 12 bits in
                       0xC0});
    int r = 0;
    InfoDispositivoHid i = Analisa(d, &r, 0x4B00);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(i.pagina, 0xFF45);
    EXPECT_EQ(i.uso, 0x4B00);
    EXPECT_EQ(i.entrada, 3u);
    EXPECT_EQ(i.saida, 0u);
    EXPECT_EQ(i.recurso, 0u);
}

TEST(DescritorHid, CutOrCollectionlessDescriptorsAreRefused)
{
    int r = 0;
    Analisa(D({0x06, 0x45}), &r);
    EXPECT_EQ(r, 1);
    Analisa(D({0x05, 0x01, 0x09, 0x06, 0x75, 0x08}), &r);
    EXPECT_EQ(r, 1);
    Analisa(D({0xFE, 0x40}), &r);
    EXPECT_EQ(r, 1);
    Analisa("", &r);
    EXPECT_EQ(r, 1);
}

TEST(DescritorHid, AnyTopLevelCollectionSizedOnItsOwn)
{
    // A keyboard (report 1, 8 bytes in) before the vendor collection
    // (report 2: 20 bytes in, 5 out), Push and Pop between them.
    std::string d = D({0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x08,
                       0x81, 0x02, 0xC0, 0xA4, 0x75, 0x01, 0xB4, 0x06, 0x45, 0xFF, 0x0A, 0x00,
                       0x38, 0xA1, 0x01, 0x85, 0x02, 0x95, 0x14, 0x81, 0x02, 0x95, 0x05, 0x91,
                       0x02, 0xC0});
    int r = 0;
    InfoDispositivoHid i = Analisa(d, &r);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(i.entrada, 21u);
    EXPECT_EQ(i.saida, 6u);
    EXPECT_EQ(i.recurso, 0u);
    EXPECT_EQ(i.numerados, HID_NUMERA_ENTRADA | HID_NUMERA_SAIDA);
    Analisa(d, &r, 0x4B00);
    EXPECT_EQ(r, 1);
}

TEST(DescritorHid, WhatTheSystemRefusesMatchesNothing)
{
    const std::string impressora = D({0x06, 0x45, 0xFF, 0x0A, 0x00, 0x38, 0xA1, 0x01});
    for (const std::string &resto : {
             D({0xC0, 0xC0}),                                  // End Collection with none open
             D({0xA1, 0x02}),                                  // never closed
             D({0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xC0}),          // global stack overflow
             D({0xB4, 0xC0}),                                  // Pop without Push
             D({0x85, 0x00, 0xC0}),                            // report id 0
             D({0xFE, 0x05, 0x10, 0x01, 0xC0}),                // long item cut short
         }) {
        int r = 0;
        Analisa(impressora + resto, &r);
        EXPECT_EQ(r, 1);
    }
}

}  // namespace
