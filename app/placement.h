#pragma once
// Window placement in vkm.ini: the keys FormVersion, Flags, ShowCmd,
// PixelsPerInch, MinMaxPos ("x,y,x,y") and NormPos ("left,top,right,bottom")
// in the window's own section.

#include <QRect>
#include <QString>

#include <optional>

class QWidget;

namespace vkm {

class IniFile;

struct Placement {
    int flags = 0;
    int showCmd = 1; // 1 normal, 2 minimised, 3 maximised
    int pixelsPerInch = 96;
    int minMax[4] = {-1, -1, -1, -1};
    QRect normal; // left, top, right, bottom as NormPos gives them
};

// nullopt when the section is missing, its FormVersion is below 0 or NormPos
// is not four integers.
std::optional<Placement> readPlacement(const IniFile& ini, const QString& section);
void writePlacement(IniFile& ini, const QString& section, const Placement& p);

// The placement of a window now, and applying a stored one to it.
Placement placementOf(const QWidget& w);
void applyPlacement(QWidget& w, const Placement& p);

// Both steps against a section; restore does nothing without a valid one.
void restorePlacement(QWidget& w, const IniFile& ini, const QString& section);
void storePlacement(const QWidget& w, IniFile& ini, const QString& section);

} // namespace vkm
