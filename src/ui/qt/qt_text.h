#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace sorvane {

// File texts are bytes; the window shows them in the local 8-bit encoding.
inline QString to_qt(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string from_qt(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Multi-line fields hold CR LF line ends; the widgets use LF.
inline QString lines_to_qt(std::string_view text) {
    QString shown = to_qt(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

inline std::string lines_from_qt(const QString& text) {
    QString stored = text;
    stored.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return from_qt(stored);
}

}  // namespace sorvane
