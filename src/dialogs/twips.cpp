#include "twips.h"

#include <QVariant>
#include <QWidget>

namespace varo::dialogs
{

namespace
{
constexpr const char *kTwipsProperty = "twips";

int toPixels(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
} // namespace

void setTwipsGeometry(QWidget *control, const QRect &twips)
{
    control->setProperty(kTwipsProperty, twips);
    control->setGeometry(toPixels(twips.left()), toPixels(twips.top()), toPixels(twips.width()),
                         toPixels(twips.height()));
}

QRect twipsGeometry(const QWidget *control)
{
    const QVariant stored = control->property(kTwipsProperty);
    if (stored.isValid())
        return stored.toRect();
    const QRect g = control->geometry();
    return QRect(g.left() * kTwipsPerPixel, g.top() * kTwipsPerPixel, g.width() * kTwipsPerPixel,
                 g.height() * kTwipsPerPixel);
}

void setTwipsTop(QWidget *control, int top)
{
    QRect r = twipsGeometry(control);
    r.moveTop(top);
    setTwipsGeometry(control, r);
}

void setTwipsHeight(QWidget *control, int height)
{
    QRect r = twipsGeometry(control);
    r.setHeight(height);
    setTwipsGeometry(control, r);
}

void setTwipsClientSize(QWidget *window, int width, int height)
{
    window->setFixedSize(toPixels(width), toPixels(height));
}

} // namespace varo::dialogs
