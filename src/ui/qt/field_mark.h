#pragma once

#include "form/controls.h"

class QLineEdit;

namespace sorvane {

// Draws the mark of a numeric field whose text was not used as typed: an amber
// frame, and the note ("used as 2") as its tooltip; nothing while it has none.
void show_field_mark(QLineEdit& field, const TextBox& box);

}  // namespace sorvane
