#pragma once
// The program's own icons and pictures, compiled in. Names are the ones the
// window definitions use ("~qm.ico", "VCRFIRST.ICO", "newqmk 2.jpg"), in any case.
#include <QByteArray>
#include <QCursor>
#include <QIcon>
#include <QString>
#include <string>
#include <string_view>

namespace qm {

// The Qt resource path for name; "" when the resources hold no such item.
QString resourcePath(std::string_view name);

// A null icon when name is unknown.
QIcon resourceIcon(std::string_view name);

// The pointer named ("Glove.cur") with its hot spot; fallback when unknown.
QCursor resourceCursor(std::string_view name, Qt::CursorShape fallback = Qt::ArrowCursor);

// The item's bytes; empty with *error set when unknown or unreadable.
QByteArray resourceData(std::string_view name, std::string* error = nullptr);

}  // namespace qm
