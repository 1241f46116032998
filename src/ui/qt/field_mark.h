#pragma once

#include "form/controls.h"

class QLineEdit;
class QString;
class QWidget;

namespace sorvane {

// The amber frame of a field whose text was not used as typed or holds a problem,
// with the note as its tooltip; no frame while the note is empty.
void show_amber_frame(QWidget& field, const QString& note);

// Draws the mark of a numeric field whose text was not used as typed: an amber
// frame, and the note ("used as 2") as its tooltip; nothing while it has none.
void show_field_mark(QLineEdit& field, const TextBox& box);

}  // namespace sorvane
