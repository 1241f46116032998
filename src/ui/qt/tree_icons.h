#pragma once

#include <QIcon>
#include <QString>

class QStyle;

namespace sorvane {

// The picture of an image key of the folder trees; image keys keep their case.
QIcon tree_icon(const QString& key, const QStyle& style);

}  // namespace sorvane
