#pragma once

#include "platform/IEntryPanel.h"

#include <QRect>
#include <QSize>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace pelorin {

// Where the entry panel's controls go, in twips, for their design sizes: the text area centred under the
// heading, the hint under it, the confirm button centred below and the close button to its right.
struct EntryPanelPlaces
{
    QRect heading;
    QRect textArea;
    QRect hint;
    QRect confirm;
    QRect close;
};
EntryPanelPlaces entryPanelPlaces(QSize heading, QSize hint, QSize confirm, QSize close);

// The manual entry panel over the whole window; with its controls hidden, the backdrop of the draw window.
class EntryPanel : public QWidget, public IEntryPanel
{
    Q_OBJECT
public:
    explicit EntryPanel(QWidget* parent = nullptr);

    void open(const QString& caption) override;
    void close() override;
    QString text() const override;

    QLabel* heading; // Label12(0)
    QPlainTextEdit* textArea; // Text8
    QLabel* hint; // Label12(1)
    QPushButton* confirm; // Command10
    QPushButton* closeButton; // Command18
};

} // namespace pelorin
