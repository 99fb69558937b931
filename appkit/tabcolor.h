#pragma once
// Paints the tabs of every sheet of a window: each sheet's current tab in one
// colour pair with bold text, the others in a second pair.
#include <QColor>
#include <QMetaObject>
#include <QPointer>
#include <cstdint>
#include <vector>

class QTabBar;
class QTabWidget;
class QWidget;

namespace qm {

// Windows colour values keep red in the low byte, then green, then blue.
QColor fromWindowsColor(uint32_t value);

// The font weight value a tab keeps (400 until it is first coloured); 0 draws
// as the regular weight.
int tabFontWeight(const QTabBar* bar, int index);

class TabColorClass {
 public:
  struct TabRow {
    QPointer<QWidget> FEQ;                // the tab (its page)
    QPointer<QTabWidget> PARENTFEQ;       // the sheet
    QPointer<QTabWidget> GRANDPARENTFEQ;  // the sheet holding that sheet; null on the window
  };

  TabColorClass() = default;
  TabColorClass(const TabColorClass&) = delete;
  TabColorClass& operator=(const TabColorClass&) = delete;

  std::vector<TabRow> TABQ;
  std::vector<TabRow> CHILDQ;
  uint32_t SELTABCOL = 0;
  uint32_t SELTEXTCOL = 0;
  uint32_t UNSELTABCOL = 0;
  uint32_t UNSELTEXTCOL = 0;
  int BOLDSELECTED = 0;
  int NOWIZARD = 0;
  int INCLCHILD = 0;

  // Collects the tabs of the open window, in control order. Each sheet's
  // change of tab colours the tabs again.
  void create(QWidget* window, uint32_t selTabCol, uint32_t selTextCol, int boldSelected,
              uint32_t unselTabCol, uint32_t unselTextCol, int noWizard, int inclChild);
  // The values every window of the program uses.
  void createStandard(QWidget* window);
  // Paints every collected tab and redisplays the window; nothing without tabs.
  void colour();
  void release();

  ~TabColorClass() { release(); }

 private:
  void paint(const TabRow& row, bool selected, bool bold);
  // A sheet marked with the property "wizard" shows its pages as wizard steps.
  static bool isWizard(const QTabWidget* sheet);

  QPointer<QWidget> window_;
  std::vector<QMetaObject::Connection> connections_;
};

}  // namespace qm
