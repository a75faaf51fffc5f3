// Geometry in twips, the unit in which the dialogs' layouts are defined. Each control keeps its
// twips rectangle, so layout rules are computed and checked in twips; its pixel geometry follows
// at 15 twips per pixel.
#pragma once

#include <QRect>

class QWidget;

namespace varo::dialogs
{

constexpr int kTwipsPerPixel = 15;

// Sets the control's twips rectangle (relative to its container) and its pixel geometry.
void setTwipsGeometry(QWidget *control, const QRect &twips);

// The rectangle last set in twips; a control never placed in twips gives its pixel geometry
// converted.
QRect twipsGeometry(const QWidget *control);

// Twips-based moves and resizes that keep the other edges.
void setTwipsTop(QWidget *control, int top);
void setTwipsHeight(QWidget *control, int height);

// A window's client area given in twips.
void setTwipsClientSize(QWidget *window, int width, int height);

} // namespace varo::dialogs
