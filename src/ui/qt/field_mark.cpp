#include "ui/qt/field_mark.h"

#include <QLineEdit>

#include "ui/qt/qt_text.h"

namespace sorvane {

void show_field_mark(QLineEdit& field, const TextBox& box) {
    const QString note = to_qt(box.mark());
    if (field.toolTip() == note) return;
    field.setToolTip(note);
    field.setStyleSheet(
        note.isEmpty() ? QString() : QStringLiteral("QLineEdit { border: 2px solid #ffbf00; }"));
}

}  // namespace sorvane
