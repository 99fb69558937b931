#pragma once
// JPEG pictures decoded through libjpeg.
#include <QByteArray>
#include <QImage>
#include <string>

namespace qm {

// A null image and *error set (when given) when data is no readable JPEG.
QImage decodeJpeg(const QByteArray& data, std::string* error = nullptr);

// Reads and decodes the file (a Qt resource path ":/..." works too).
QImage loadJpeg(const std::string& path, std::string* error = nullptr);

}  // namespace qm
