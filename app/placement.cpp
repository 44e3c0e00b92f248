#include "app/placement.h"

#include "link/inifile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include <array>

namespace vkm {
namespace {

std::optional<std::array<int, 4>> fourInts(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    const QStringList parts = text->split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    std::array<int, 4> v{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[size_t(i)] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return v;
}

QString joined(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

} // namespace

std::optional<Placement> readPlacement(const IniFile& ini, const QString& section)
{
    const auto version = ini.intValue(section, ini::kFormVersion);
    if (!version || *version < 0)
        return std::nullopt;
    const auto norm = fourInts(ini.value(section, ini::kNormPos));
    if (!norm)
        return std::nullopt;
    Placement p;
    p.flags = ini.intValue(section, ini::kFlags).value_or(0);
    p.showCmd = ini.intValue(section, ini::kShowCmd).value_or(1);
    p.pixelsPerInch = ini.intValue(section, ini::kPixelsPerInch).value_or(96);
    if (const auto mm = fourInts(ini.value(section, ini::kMinMaxPos)))
        for (int i = 0; i < 4; ++i)
            p.minMax[i] = (*mm)[size_t(i)];
    p.normal = QRect(QPoint((*norm)[0], (*norm)[1]), QPoint((*norm)[2] - 1, (*norm)[3] - 1));
    return p;
}

void writePlacement(IniFile& ini, const QString& section, const Placement& p)
{
    ini.setInt(section, ini::kFormVersion, 0);
    ini.setInt(section, ini::kFlags, p.flags);
    ini.setInt(section, ini::kShowCmd, p.showCmd);
    ini.setInt(section, ini::kPixelsPerInch, p.pixelsPerInch);
    ini.setValue(section, ini::kMinMaxPos, joined(p.minMax[0], p.minMax[1], p.minMax[2], p.minMax[3]));
    // right and bottom lie one past the window, as the placement keeps them
    const QRect& r = p.normal;
    ini.setValue(section, ini::kNormPos, joined(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()));
}

Placement placementOf(const QWidget& w)
{
    Placement p;
    p.showCmd = w.isMinimized() ? 2 : w.isMaximized() ? 3 : 1;
    p.pixelsPerInch = w.logicalDpiY();
    const QRect normal = w.isMaximized() || w.isMinimized() ? w.normalGeometry() : w.geometry();
    // the frame's outer corner, as the desktop places windows
    const QPoint outer = w.isWindow() && w.isVisible() ? w.frameGeometry().topLeft() : normal.topLeft();
    p.normal = QRect(outer, normal.size());
    return p;
}

void applyPlacement(QWidget& w, const Placement& p)
{
    if (p.normal.width() > 0 && p.normal.height() > 0) {
        QRect r = p.normal;
        // keep the window reachable when the screen has shrunk since
        if (const QScreen* s = QGuiApplication::primaryScreen()) {
            const QRect avail = s->availableVirtualGeometry();
            if (!avail.intersects(r))
                r.moveTopLeft(avail.topLeft());
        }
        w.move(r.topLeft());
        w.resize(r.size());
    }
    if (p.showCmd == 3)
        w.setWindowState(w.windowState() | Qt::WindowMaximized);
}

void restorePlacement(QWidget& w, const IniFile& ini, const QString& section)
{
    if (const auto p = readPlacement(ini, section))
        applyPlacement(w, *p);
}

void storePlacement(const QWidget& w, IniFile& ini, const QString& section)
{
    writePlacement(ini, section, placementOf(w));
}

} // namespace vkm
