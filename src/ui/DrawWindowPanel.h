#pragma once

#include <QFrame>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pelorin {

class QtDrawingSurface;

// The draw window: the wheel's drawing surface with the boxes, buttons and current-draw list over it.
class DrawWindowPanel : public QFrame
{
    Q_OBJECT
public:
    explicit DrawWindowPanel(QWidget* parent = nullptr);
    ~DrawWindowPanel() override;

    QtDrawingSurface* surface() const { return m_surface.get(); }

    QLineEdit* presetBox; // Text7(0)
    QLineEdit* drawnBox; // Text7(1)
    QComboBox* speedBox; // Combo1
    QPushButton* startStop; // Command1
    QPushButton* close; // Command14
    QLineEdit* nameBox; // Text1
    QListWidget* currentDraw; // List2
    QLabel* recordCode; // the draw record's latest line, as the room is shown it
    QCheckBox* slowStop; // 随机缓停
    QCheckBox* witnessed; // 见证摇号
    QPushButton* projector; // 大屏显示

private:
    std::unique_ptr<QtDrawingSurface> m_surface;
};

} // namespace pelorin
