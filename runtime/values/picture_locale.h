#pragma once
// The locale behind the locale-dependent pictures (the short date "@d17").
#include <QLocale>

namespace qm {

// Defaults to QLocale::system(); tests fix it.
void setPictureLocale(const QLocale& locale);
void resetPictureLocale();
QLocale pictureLocale();

}  // namespace qm
