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
};

}  // namespace sorvane

QTEST_MAIN(sorvane::EfficiencyDialogTest)
#include "efficiency_dialog_test.moc"
