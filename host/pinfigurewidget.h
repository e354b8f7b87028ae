#pragma once

#include "hostglobal.h"
#include "pinfigure.h"

#include <QList>
#include <QWidget>

namespace IPCore {

// The generation dialog's drawing of a core: a box with the core's name, device-side ports
// (AlignLeft) on its left and controller-side ports (AlignRight) on its right. Arrows show the
// direction, thick lines with a slash mark buses. The drawing shrinks to fit a small widget.
class IPCOREHOST_EXPORT PinFigureWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PinFigureWidget(QWidget *parent = nullptr);

    QList<Utils::PinFigure> pins() const { return m_pins; }
    void setPins(const QList<Utils::PinFigure> &pins);
    void setTitle(const QString &title);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Layout;
    Layout layout() const;

    QList<Utils::PinFigure> m_pins;
    QString m_title;
};

} // namespace IPCore
