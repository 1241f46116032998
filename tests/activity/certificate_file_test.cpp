#include "activity/certificate_file.h"

#include <gtest/gtest.h>

#include <string>

namespace sorvane::activity {
namespace {

constexpr const char* header =
    "source,nuclide,energy_keV,value,unit,uncertainty,uncertainty_unit,uncertainty_kind,"
    "coverage,reference_datetime,spectra\n";

// Three rows in the form of calibration_certificates.csv beside the IAEA 2002 test
// spectra (realdata/reference/iaea2002: the MARIC Am-241 row, a QCD1 row and a
// point-source row, their free-text columns shortened).
constexpr const char* iaea_rows =
    "MARIC,Am-241,,3353,\"Bq (dps, total source)\",5.0,%,total (expanded),"
    "\"99 % confidence level (footnote); k not stated\",2002-11-01 12:00 EST,maricsmall\n"
    "QCD1,Cd-109,88.03,734,gamma/s,6.3,%,expanded,"
    "\"k not stated on page 1; about 2x the quadrature sum, so probably k=2\","
    "2001-05-01 12:00 GMT,QCDBIG0 QCDSMALL0\n"
    "point source Cd-109,Cd-109,,31.6,kBq,4,%,counting statistics only,"
    "not stated (presumably 1 sigma),2001-05-01 12:00 GMT,Cd109BIG\n";

TEST(CertificateFile, ConvertsEachRowToBqOrPhotonsWithAStandardUncertainty) {
    const CertificateRead read = parse_certificate_file(std::string(header) + iaea_rows, "c.csv");
    ASSERT_TRUE(read.problem.empty()) << read.problem;
    ASSERT_EQ(read.values.size(), 3u);
    struct Case {
        std::string nuclide;
        CertifiedQuantity quantity;
        double value;
        double standard_uncertainty;  // by hand: value * percent / 100 / k
        double k;
        std::string time;
        std::string zone;
        int line;
    };
    const Case cases[] = {
        {"Am-241", CertifiedQuantity::activity, 3353.0, 3353.0 * 0.05 / 3.0, 3.0,
         "2002-11-01 12:00:00", "EST", 2},
        {"Cd-109", CertifiedQuantity::photon_rate, 734.0, 23.121, 2.0, "2001-05-01 12:00:00", "GMT",
         3},
        {"Cd-109", CertifiedQuantity::activity, 31600.0, 1264.0, 1.0, "2001-05-01 12:00:00", "GMT",
         4},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const CertifiedValue& v = read.values[i];
        EXPECT_TRUE(v.problem.empty()) << v.problem;
        EXPECT_EQ(v.nuclide, c.nuclide);
        EXPECT_EQ(v.quantity, c.quantity) << i;
        EXPECT_NEAR(v.value, c.value, 1e-9) << i;
        EXPECT_NEAR(v.standard_uncertainty, c.standard_uncertainty, 1e-9) << i;
        EXPECT_EQ(v.coverage_factor, c.k) << i;
        EXPECT_EQ(v.reference_time, c.time) << i;
        EXPECT_EQ(v.time_zone, c.zone) << i;
        EXPECT_EQ(v.line, c.line) << i;
    }
    EXPECT_EQ(read.values[1].energy_kev, 88.03);
    // The Analytics certificates' 5.0 % at 99 %: what was taken is said in words.
    EXPECT_NE(read.values[0].taken.find("99 % confidence without k: k = 3 taken"),
              std::string::npos)
        << read.values[0].taken;
    EXPECT_NE(read.values[0].taken.find("standard uncertainty 1.7 %"), std::string::npos)
        << read.values[0].taken;
}

TEST(CertificateFile, UncertaintiesInTheValuesUnits) {
    struct Case {
        const char* row;
        double value;
        double standard_uncertainty;
    };
    const Case cases[] = {
        // 2 MBq +- 40 kBq at k = 2: 20 kBq standard.
        {"S,Co-60,,2,MBq,40,kBq,expanded,k = 2,2020-01-01 00:00:00,s1\n", 2e6, 2e4},
        // No uncertainty unit: the value's (Bq); no kind: standard.
        {"S,Co-60,,100,Bq,4,,,,2020-01-01 00:00,s1\n", 100.0, 4.0},
        // 95 % confidence without k: k = 2.
        {"S,Co-60,,100,Bq,3,%,expanded,95 % confidence,2020-01-01 00:00,s1\n", 100.0, 1.5},
        // A photon rate in photons/s with its uncertainty in the same unit.
        {"S,Co-60,1332.5,500,photons/s,10,photons/s,standard,,2020-01-01T00:00:00,s1\n", 500.0,
         10.0},
    };
    for (const Case& c : cases) {
        const CertificateRead read = parse_certificate_file(std::string(header) + c.row, "c.csv");
        ASSERT_EQ(read.values.size(), 1u) << c.row;
        EXPECT_TRUE(read.values[0].problem.empty()) << read.values[0].problem;
        EXPECT_NEAR(read.values[0].value, c.value, 1e-9) << c.row;
        EXPECT_NEAR(read.values[0].standard_uncertainty, c.standard_uncertainty, 1e-9) << c.row;
    }
}

TEST(CertificateFile, ABadRowIsNamedByFileAndLine) {
    struct Case {
        const char* row;
        const char* problem;
    };
    const Case cases[] = {
        {"S,Am-241,,??,,,,,,2001-05-01 12:00 GMT,x\n",
         "c.csv line 2: the value \"??\" is not a positive number"},
        {"S,Am-241,,10,Ci,1,%,,,2001-05-01 12:00,x\n", "c.csv line 2: the unit \"Ci\" is not"},
        {"S,Am-241,,10,Bq,5,%,expanded,,2001-05-01 12:00,x\n",
         "c.csv line 2: an expanded uncertainty (\"expanded\") without a coverage"},
        {"S,Co-60,,10,gamma/s,1,%,,,2001-05-01 12:00,x\n",
         "c.csv line 2: a photon rate needs the energy"},
        {"S,Co-60,,10,Bq,1,%,,,01/05/2001 12:00,x\n",
         "c.csv line 2: the reference time \"01/05/2001 12:00\" is not"},
        {"S,Co-60,,10,Bq,,%,,,2001-05-01 12:00,x\n", "c.csv line 2: no uncertainty"},
        {"S,Co-60,,10,Bq,1,Bq,,2001-05-01 12:00,x\n", "c.csv line 2: 10 fields where the header"},
        {"S,Co-60,,10,Bq,1,gamma/s,,,2001-05-01 12:00,x\n",
         "c.csv line 2: the uncertainty's unit \"gamma/s\""},
    };
    for (const Case& c : cases) {
        const CertificateRead read = parse_certificate_file(std::string(header) + c.row, "c.csv");
        ASSERT_EQ(read.values.size(), 1u) << c.row;
        EXPECT_EQ(read.values[0].problem.rfind(c.problem, 0), 0u)
            << read.values[0].problem << "\nwanted: " << c.problem;
    }
    const CertificateRead headless = parse_certificate_file("nuclide,value,unit\n", "c.csv");
    EXPECT_EQ(headless.problem,
              "c.csv: no column \"reference_datetime\" in the header line; nothing read");
}

TEST(CoverageFactor, FromTheWordsOfKindAndCoverage) {
    struct Case {
        const char* kind;
        const char* coverage;
        std::optional<double> k;
    };
    const Case cases[] = {
        {"expanded", "k=2", 2.0},
        {"expanded", "coverage factor K = 2.58", 2.58},
        {"total (expanded)", "99 % confidence level (footnote); k not stated", 3.0},
        {"expanded", "95% confidence", 2.0},
        {"expanded", "68.3 % confidence", 1.0},
        {"standard", "", 1.0},
        {"counting statistics only", "not stated (presumably 1 sigma)", 1.0},
        {"expanded", "k not stated", std::nullopt},
        {"expanded", "90 % confidence", std::nullopt},  // no factor taken for 90 %
    };
    for (const Case& c : cases) {
        const auto k = coverage_factor_of(c.kind, c.coverage);
        ASSERT_EQ(k.has_value(), c.k.has_value()) << c.kind << " / " << c.coverage;
        if (k) {
            EXPECT_DOUBLE_EQ(k->k, *c.k) << c.coverage;
        }
    }
}

TEST(ChooseCertificate, TheRowsOfTheSpectrumOrOfTheNamedSource) {
    const std::string text = std::string(header) + iaea_rows +
                             "MARIC,Cs-137,,1106,Bq,4.8,%,total (expanded),99 % confidence,"
                             "2002-11-01 12:00 EST,maricsmall\n"
                             "other,Am-241,,??,,,,,,,elsewhere\n";
    const CertificateRead read = parse_certificate_file(text, "c.csv");
    struct Case {
        std::string spectrum;
        std::string source;
        std::vector<std::string> nuclides;
        std::string problem;  // its start
    };
    const Case cases[] = {
        {"MARICSMALL", "", {"Am-241", "Cs-137"}, ""},  // spectrum names, case aside
        {"anything", "qcd1", {"Cd-109"}, ""},
        {"QCDSMALL0", "", {"Cd-109"}, ""},
        {"nothing", "", {}, "c.csv: no row names the spectrum \"nothing\""},
        {"nothing", "nobody", {}, "c.csv: no row is of source \"nobody\""},
        {"elsewhere", "", {}, "c.csv line 6: the value \"??\""},
    };
    for (const Case& c : cases) {
        const CertificateChoice choice = choose_certificate(read, c.spectrum, c.source);
        EXPECT_EQ(choice.problem.rfind(c.problem, 0), 0u) << choice.problem;
        std::vector<std::string> names;
        for (const CertifiedValue& v : choice.values) names.push_back(v.nuclide);
        EXPECT_EQ(names, c.nuclides) << c.spectrum << " " << c.source;
    }
    const CertificateRead twice =
        parse_certificate_file(std::string(header) + "S,Co-60,,1,Bq,1,%,,,2001-05-01 12:00,a\n" +
                                   "S,Co-60,,2,Bq,1,%,,,2001-05-01 12:00,a\n",
                               "c.csv");
    EXPECT_EQ(choose_certificate(twice, "a", "").problem,
              "c.csv line 3: Co-60 is certified twice (also line 2)");
}

}  // namespace
}  // namespace sorvane::activity
