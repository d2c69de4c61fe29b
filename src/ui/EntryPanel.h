#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace pelorin {

// The manual entry panel over the whole window; with its controls hidden, the backdrop of the draw window.
class EntryPanel : public QWidget
{
    Q_OBJECT
public:
    explicit EntryPanel(QWidget* parent = nullptr);

    QLabel* heading; // Label12(0)
    QPlainTextEdit* text; // Text8
    QLabel* hint; // Label12(1)
    QPushButton* confirm; // Command10
    QPushButton* close; // Command18
};

} // namespace pelorin
