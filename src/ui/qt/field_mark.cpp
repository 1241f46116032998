#include "ui/qt/field_mark.h"

#include <QLineEdit>

#include "ui/qt/qt_text.h"

namespace sorvane {

void show_amber_frame(QWidget& field, const QString& note) {
    if (field.toolTip() == note) return;
    field.setToolTip(note);
    field.setStyleSheet(note.isEmpty() ? QString()
                                       : QStringLiteral("%1 { border: 2px solid #ffbf00; }")
                                             .arg(field.metaObject()->className()));
}

void show_field_mark(QLineEdit& field, const TextBox& box) {
    show_amber_frame(field, to_qt(box.mark()));
}

}  // namespace sorvane
