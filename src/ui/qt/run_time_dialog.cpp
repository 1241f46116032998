#include "ui/qt/run_time_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvane {
namespace {

QString pick_runtime_file(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(
        parent, QString(), folder,
        QStringLiteral("run_Tovalu.exe (run_Tovalu.exe run_tovalu.exe RUN_TOVALU.EXE);;* (*)"));
}

}  // namespace

RunTimeDialog::RunTimeDialog(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& runtime_folder)
    : QDialog(parent), runtime_folder_(runtime_folder), pick_file_(pick_runtime_file) {
    setObjectName(QStringLiteral("run_time_dialog"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(prompt, this));

    auto* row = new QHBoxLayout;
    answer_ = new QLineEdit(this);
    answer_->setObjectName(QStringLiteral("run_time_answer"));
    answer_->setMinimumWidth(360);
    row->addWidget(answer_, 1);
    auto* browse_button = new QPushButton(QStringLiteral("Browse..."), this);
    browse_button->setObjectName(QStringLiteral("run_time_browse"));
    browse_button->setAutoDefault(false);
    row->addWidget(browse_button);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse_button, &QPushButton::clicked, this, [this] { browse(); });
}

QString RunTimeDialog::answer() const {
    return answer_->text();
}

void RunTimeDialog::browse() {
    const QString chosen = pick_file_(this, runtime_folder_);
    if (chosen.isEmpty()) return;
    // The program's folder is what is stored, ending in the separator.
    QString folder = QDir::toNativeSeparators(QFileInfo(chosen).absolutePath());
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    answer_->setText(folder);
}

}  // namespace sorvane
