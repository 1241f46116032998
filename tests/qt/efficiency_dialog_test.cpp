// The efficiency calibration on the demo's Eu-152 result analysed with
// identification on (real runtime output), with the bundled line library.
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <memory>
#include <string>

#include "activity/efficiency_storage.h"
#include "contract/nuclide_settings.h"
#include "control/nuclide_settings_store.h"
#include "nuclides/library_files.h"
#include "platform/real_platform.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "ui/qt/efficiency_dialog.h"
#include "ui/qt/efficiency_plot.h"

namespace sorvane {

class EfficiencyDialogTest : public QObject {
    Q_OBJECT

    RealFileSystem fs;
    ScriptedUi ui;

    std::unique_ptr<EfficiencyDialog> dialog(const std::string& settings_path) {
        nuclides::LineLibrary library =
            nuclides::load_line_library(fs, NuclideSettings{}, NUCLIDE_DATA_DIR);
        auto made = std::make_unique<EfficiencyDialog>(std::move(library), settings_path, fs, ui);
        made->load_standard(test_data_path("results/iec_eu152_nuclides.res"));
        return made;
    }
    static void type(QTableWidget* table, int column, const char* text) {
        table->item(0, column)->setText(QString::fromLatin1(text));
    }

private slots:
    // Activity, uncertainty and date typed: eight Eu-152 points and a curve with its
    // band; a wrong date marks its cell and takes the curve away.
    void fitsTheStandardsLinesAsTheyAreTyped() {
        TempFolder folder;
        auto d = dialog(folder.path() + "/sorvane.inf.nuclides");
        QTableWidget* table = d->certificates();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Eu-152"));
        auto* save = d->findChild<QPushButton*>(QStringLiteral("save_efficiency"));
        QVERIFY(!save->isEnabled());
        // The demo holds 20000 Bq of Eu-152 on 2005-01-01 seen through a curve of 0.0022
        // at 400 keV (demo/README.md): the fit must give that back.
        type(table, 1, "20000");
        type(table, 2, "200");
        type(table, 3, "2005-01-01 00:00:00");
        QVERIFY(d->fit() && d->fit()->problem.empty());
        QCOMPARE(d->fit()->curve.points, 14);
        QCOMPARE(d->fit()->curve.order, 3);
        const double at_400 = activity::evaluate_efficiency(d->fit()->curve, 400.0).efficiency;
        QVERIFY2(std::abs(at_400 / 0.0022 - 1.0) < 0.03, std::to_string(at_400).c_str());
        QVERIFY(save->isEnabled());
        const auto& curve =
            d->findChild<EfficiencyPlot*>(QStringLiteral("efficiency_plot"))->curve();
        QVERIFY(!curve.empty());
        for (const CurveSample& s : curve) QVERIFY(s.low < s.efficiency && s.efficiency < s.high);
        QVERIFY(d->findChild<QLabel*>(QStringLiteral("fit_summary"))
                    ->text()
                    .startsWith(QStringLiteral("reduced chi^2 = ")));
        d->order()->setValue(5);
        QCOMPARE(d->fit()->curve.order, 5);

        type(table, 3, "2005-13-01 00:00:00");
        QVERIFY(!table->item(0, 3)->toolTip().isEmpty());
        QVERIFY(!d->fit());
        QVERIFY(!save->isEnabled());
    }

    // The curve is saved where the user says and, when asked, named in the settings
    // beside the control file, whose other fields stay.
    void savesTheCurveAndNamesItInTheSettings() {
        TempFolder folder;
        const std::string settings_path = folder.path() + "/sorvane.inf.nuclides";
        NuclideSettings settings;
        settings.identify = true;
        QVERIFY(save_nuclide_settings(settings_path, settings, fs).ok());
        auto d = dialog(settings_path);
        type(d->certificates(), 1, "20000");
        type(d->certificates(), 2, "75");
        type(d->certificates(), 3, "2005-01-01 00:00:00");
        ui.file_answers.push_back(folder.path() + "/hpge");
        ui.answers.push_back(Answer::yes);
        d->findChild<QPushButton*>(QStringLiteral("save_efficiency"))->click();
        const std::string path = folder.path() + "/hpge.eff";
        const activity::LoadedEfficiency loaded = activity::load_efficiency_file(fs, path);
        QVERIFY(loaded.curve);
        QCOMPARE(loaded.curve->points, 14);
        QCOMPARE(loaded.curve->standard, std::string("iec_eu152_nuclides"));
        const NuclideSettingsLoad after = load_nuclide_settings(settings_path, fs);
        QCOMPARE(after.settings.efficiency_file, path);
        QVERIFY(after.settings.identify);
    }

    // A certificate file fills the table: the demo's 20000 Bq of Eu-152 on 2005-01-01
    // (demo/README.md), 3.0 % at k = 2, so 300 Bq standard; what was taken is said.
    // A file that cannot be used leaves the table as it was and says why.
    void importsACertificateFile() {
        TempFolder folder;
        auto d = dialog(folder.path() + "/sorvane.inf.nuclides");
        const std::string header =
            "source,nuclide,value,unit,uncertainty,uncertainty_unit,uncertainty_kind,coverage,"
            "reference_datetime\n";
        const std::string good = folder.path() + "/good.csv";
        const std::string bad = folder.path() + "/bad.csv";
        QVERIFY(fs.write_file(good, header + "DEMO,Eu-152,20000,Bq,3.0,%,expanded,k=2,"
                                             "2005-01-01 00:00 UTC\n")
                    .ok());
        QVERIFY(fs.write_file(bad, header + "DEMO,Eu-152,20000,Bq,3.0,%,expanded,,"
                                            "2005-01-01 00:00 UTC\n")
                    .ok());
        struct Case {
            std::string path;
            bool used;
            const char* activity;
            const char* uncertainty;
            const char* date;
            const char* said;
        };
        const Case cases[] = {
            {bad, false, "", "", "", "bad.csv line 2: an expanded uncertainty"},
            {good, true, "20000", "300", "2005-01-01 00:00:00", "k = 2 stated"},
        };
        for (const Case& c : cases) {
            ui.messages.clear();
            QCOMPARE(d->import_certificate(c.path), c.used);
            QTableWidget* table = d->certificates();
            QCOMPARE(table->item(0, 1)->text(), QString::fromLatin1(c.activity));
            QCOMPARE(table->item(0, 2)->text(), QString::fromLatin1(c.uncertainty));
            QCOMPARE(table->item(0, 3)->text(), QString::fromLatin1(c.date));
            QCOMPARE(ui.messages.size(), std::size_t{1});
            QVERIFY2(ui.messages[0].text.find(c.said) != std::string::npos,
                     ui.messages[0].text.c_str());
        }
        QVERIFY(d->fit() && d->fit()->problem.empty());
        QCOMPARE(d->fit()->curve.points, 14);
        QVERIFY(ui.messages[0].text.find("(UTC) and the spectrum's start are taken in one time "
                                         "zone") != std::string::npos);
    }

    // A peak-to-total file corrects Eu-152's lines for summing: at a flat P/T of 0.3
    // they lose counts to the photons of their cascades, so the corrected curve lies
    // above the uncorrected one; a file that cannot be read is said and changes nothing.
    void correctsTheLinesWithAPeakToTotalFile() {
        TempFolder folder;
        auto d = dialog(folder.path() + "/sorvane.inf.nuclides");
        d->set_cascades_folder(NUCLIDE_DATA_DIR);
        type(d->certificates(), 1, "20000");
        type(d->certificates(), 2, "200");
        type(d->certificates(), 3, "2005-01-01 00:00:00");
        const double plain = activity::evaluate_efficiency(d->fit()->curve, 400.0).efficiency;
        ui.messages.clear();
        QVERIFY(!d->use_peak_to_total(folder.path() + "/none.txt"));
        QCOMPARE(ui.messages.size(), std::size_t{1});
        QVERIFY(ui.messages[0].text.find("none.txt cannot be used") != std::string::npos);
        QCOMPARE(activity::evaluate_efficiency(d->fit()->curve, 400.0).efficiency, plain);
        const std::string pt = folder.path() + "/pt.txt";
        QVERIFY(fs.write_file(pt,
                              "order 1\nrange 50 2000\nrelative_uncertainty 0.1\n"
                              "coefficients -1.2039728 0\n")
                    .ok());  // ln PT = ln 0.3 + 0 x
        QVERIFY(d->use_peak_to_total(pt));
        QVERIFY(d->fit() && d->fit()->problem.empty());
        QVERIFY(activity::evaluate_efficiency(d->fit()->curve, 400.0).efficiency > plain * 1.01);
        const QString said = d->findChild<QLabel*>(QStringLiteral("fit_summary"))->text();
        QVERIFY2(said.contains(QStringLiteral("summing corrected (")) &&
                     said.contains(QStringLiteral("Eu-152 121.8 keV 0.")),
                 qPrintable(said));
        // With the standard in a jar on the end cap (the nuclide settings' sizes) its
        // near part sees both photons of a cascade more often: more is lost, and the
        // corrected curve lies higher still (by 0.35 % at 400 keV, where the losses are a
        // few per cent).
        const double mean = activity::evaluate_efficiency(d->fit()->curve, 400.0).efficiency;
        QVERIFY(fs.write_file(folder.path() + "/sorvane.inf.nuclides",
                              "[nuclides]\r\ncontainer_diameter_cm = "
                              "6\r\nfill_height_cm = 4\r\ndetector_diameter_cm = 5\r\n"
                              "detector_depth_cm = 1\r\n")
                    .ok());
        QVERIFY(d->use_peak_to_total(pt));
        QVERIFY(activity::evaluate_efficiency(d->fit()->curve, 400.0).efficiency > mean * 1.002);
        const QString jar = d->findChild<QLabel*>(QStringLiteral("fit_summary"))->text();
        QVERIFY2(jar.contains(QStringLiteral(", over the nuclide settings' jar):")),
                 qPrintable(jar));
        // Named in the settings, the corrected curve brings the summing correction with it.
        ui.messages.clear();
        ui.file_answers.push_back(folder.path() + "/hpge");
        ui.answers.push_back(Answer::yes);
        d->findChild<QPushButton*>(QStringLiteral("save_efficiency"))->click();
        const NuclideSettings after =
            load_nuclide_settings(folder.path() + "/sorvane.inf.nuclides", fs).settings;
        QCOMPARE(after.efficiency_file, folder.path() + "/hpge.eff");
        QVERIFY(after.summing_correction);
        QCOMPARE(after.peak_to_total_file, pt);
        QCOMPARE(after.container_diameter_cm, 6.0);
        QVERIFY(!ui.messages.empty() &&
                ui.messages.back().text.find("summing correction is now on") != std::string::npos);
        // The standard's matter given, but no attenuation table beside the cascades: said,
        // and the curve stays as it was.
        std::string cascades;
        QVERIFY(fs.read_file(std::string(NUCLIDE_DATA_DIR) + "cascades.csv", cascades).ok());
        QVERIFY(fs.write_file(folder.path() + "/cascades.csv", cascades).ok());
        d->set_cascades_folder(folder.path() + "/");
        QVERIFY(fs.write_file(folder.path() + "/sorvane.inf.nuclides",
                              "[nuclides]\r\ncontainer_diameter_cm = 6\r\nfill_height_cm = 4\r\n"
                              "detector_diameter_cm = 5\r\nstandard_density = 1.15\r\n"
                              "standard_composition = water\r\n")
                    .ok());
        const double before = activity::evaluate_efficiency(d->fit()->curve, 400.0).efficiency;
        ui.messages.clear();
        QVERIFY(!d->use_peak_to_total(pt));
        QCOMPARE(ui.messages.size(), std::size_t{1});
        QVERIFY2(ui.messages[0].text.find("attenuation table cannot be read") != std::string::npos,
                 ui.messages[0].text.c_str());
        QCOMPARE(activity::evaluate_efficiency(d->fit()->curve, 400.0).efficiency, before);
    }
};

}  // namespace sorvane

QTEST_MAIN(sorvane::EfficiencyDialogTest)
#include "efficiency_dialog_test.moc"
