#pragma once
// Clicking a browse's listed row with the mouse, as a user picks one; for the
// tests and the benchmarks that drive windows. Header only: no test framework.
#include <QAbstractItemModel>
#include <QTableView>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "runtime/ui/browse.h"

namespace qmtest {

// Clicks the first listed row whose fields hold the values; false when no
// listed row does. The caller lets the click's events run.
inline bool clickRowWhere(qm::BrowseProcedure& b,
                          const std::vector<std::pair<std::string, std::string>>& match) {
  const auto& rows = b.list().rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    bool all = true;
    for (const auto& [label, value] : match) all = all && rows[i].record.text(label) == value;
    if (!all) continue;
    const QRect r = b.table()->visualRect(b.table()->model()->index(static_cast<int>(i), 0));
    QTest::mouseClick(b.table()->viewport(), Qt::LeftButton, {}, r.center());
    return true;
  }
  return false;
}

}  // namespace qmtest
