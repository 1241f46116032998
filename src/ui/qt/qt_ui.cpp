#include "ui/qt/qt_ui.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

#include "ui/qt/qt_text.h"
#include "ui/qt/run_time_dialog.h"

namespace sorvane {

QtUi::~QtUi() {
    end_progress();
    if (waiting_) QApplication::restoreOverrideCursor();
}

Answer QtUi::message_box(std::string_view text, std::string_view title, Buttons buttons) {
    QMessageBox box(QMessageBox::NoIcon, to_qt(title), lines_to_qt(text), QMessageBox::NoButton,
                    parent_);
    switch (buttons) {
        case Buttons::ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Buttons::ok_cancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case Buttons::yes_no:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return Answer::cancel;
        case QMessageBox::Yes:
            return Answer::yes;
        case QMessageBox::No:
            return Answer::no;
        default:
            return Answer::ok;
    }
}

std::optional<std::string> QtUi::input_box(std::string_view prompt, std::string_view title,
                                           std::string_view initial) {
    bool accepted = false;
    const QString text = QInputDialog::getText(parent_, to_qt(title), lines_to_qt(prompt),
                                               QLineEdit::Normal, to_qt(initial), &accepted);
    if (!accepted) return std::nullopt;
    return from_qt(text);
}

std::optional<std::string> QtUi::run_time_box(std::string_view prompt, std::string_view title,
                                              std::string_view runtime_folder) {
    RunTimeDialog dialog(parent_, lines_to_qt(prompt), to_qt(title), to_qt(runtime_folder));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return from_qt(dialog.answer());
}

QString qt_filter(std::string_view filter) {
    const QStringList parts = to_qt(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype at = 0; at + 1 < parts.size(); at += 2) {
        const QString& caption = parts[at];
        const QString& patterns = parts[at + 1];
        // A caption that already ends in its pattern in parentheses is Qt's form.
        const QString tail = QLatin1Char('(') + patterns + QLatin1Char(')');
        filters << (caption.endsWith(tail) ? caption : caption + QLatin1Char(' ') + tail);
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<std::string> QtUi::open_file_dialog(std::string_view filter,
                                                  std::string_view initial_folder) {
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, QString(), to_qt(initial_folder), qt_filter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return from_qt(QDir::toNativeSeparators(chosen));
}

std::optional<std::string> QtUi::save_file_dialog(std::string_view filter,
                                                  std::string_view initial_folder) {
    // No default suffix: the name is taken as typed.
    const QString chosen =
        QFileDialog::getSaveFileName(parent_, QString(), to_qt(initial_folder), qt_filter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return from_qt(QDir::toNativeSeparators(chosen));
}

void QtUi::set_pointer(Pointer pointer) {
    if (pointer == Pointer::hourglass && !waiting_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waiting_ = true;
    } else if (pointer == Pointer::normal && waiting_) {
        QApplication::restoreOverrideCursor();
        waiting_ = false;
    }
}

bool QtUi::show_progress(std::string_view text, int done, int total) {
    if (progress_ == nullptr) {
        progress_ = std::make_unique<QProgressDialog>();
        progress_->setWindowModality(Qt::ApplicationModal);
        progress_->setMinimumDuration(0);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
    }
    progress_->setLabelText(to_qt(text));
    progress_->setMaximum(total > 0 ? total : 0);
    progress_->setValue(total > 0 ? done : 0);
    QCoreApplication::processEvents();
    return !progress_->wasCanceled();
}

void QtUi::end_progress() {
    if (progress_ != nullptr) {
        progress_->close();
        progress_.reset();
    }
}

}  // namespace sorvane
