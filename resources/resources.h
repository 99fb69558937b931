#pragma once
// The program's own icons and pictures, compiled in. Names are the ones the
// window definitions use ("~qm.ico", "VCRFIRST.ICO", "newqmk 2.jpg"), in any case.
#include <string>
#include <string_view>

#include <QByteArray>
#include <QIcon>
#include <QString>

namespace qm {

// The Qt resource path for name; "" when the resources hold no such item.
QString resourcePath(std::string_view name);

// A null icon when name is unknown.
QIcon resourceIcon(std::string_view name);

// The item's bytes; empty with *error set when unknown or unreadable.
QByteArray resourceData(std::string_view name, std::string* error = nullptr);

}  // namespace qm
