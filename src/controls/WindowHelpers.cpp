#include "controls/WindowHelpers.h"

#include "app/clsCatalog.h"

#include <QFontDatabase>
#include <QFrame>
#include <QWidget>

namespace WindowHelpers {

void ApplyFont(QWidget* window)
{
    if (!window)
        return;
    const QString family = Catalog().FontName();
    if (!QFontDatabase::hasFamily(family))
        return;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        QFont font = widget->font();
        font.setFamily(family);
        widget->setFont(font);
    }
}

void SetStaticEdge(QWidget* control)
{
    auto* frame = qobject_cast<QFrame*>(control);
    if (!frame)
        return;
    const bool hasEdge = frame->frameShape() != QFrame::NoFrame;
    frame->setFrameShape(hasEdge ? QFrame::NoFrame : QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->update();
}

} // namespace WindowHelpers
