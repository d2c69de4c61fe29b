#pragma once

#include "model/Categories.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace pelorin {

class NameListView;
class Session;

// The controls of one category's tab page, placed as the design has them.
class CategoryPage : public QWidget
{
    Q_OBJECT
public:
    CategoryPage(Category category, QWidget* parent = nullptr);

    Category category() const { return m_category; }
    // Shows the category's lists and counters as the session holds them, and hands typed counts to it.
    void bind(Session& session);

    QPushButton* importCandidates; // Command3
    QLabel* candidateCounter; // Label2
    NameListView* candidates; // List1
    QPushButton* clearCandidates; // Command27
    QPushButton* deleteCandidate; // Command4
    QPushButton* enterCandidates; // Command9
    QPushButton* shuffleCandidates; // Command26
    QPushButton* importHistory; // Command5
    QPushButton* enterHistory; // Command23
    NameListView* history; // List4
    QPushButton* excludeHistory; // Command6
    QPushButton* deleteHistory; // Command17
    QPushButton* clearHistory; // Command7
    QLabel* presetLabel; // Label4
    QLineEdit* presetCount; // Text3
    QLabel* presetUnit; // Label5
    QToolButton* drawButton; // Picture5
    QLabel* resultsHeading; // Label6
    QLabel* drawnLabel; // Label8
    QLineEdit* drawnCount; // Text6
    QLabel* drawnUnit; // Label11
    NameListView* results; // List5
    QPushButton* withdrawResults; // Command21
    QPushButton* returnResult; // Command20
    QPushButton* clearResults; // Command8
    QPushButton* copyResults; // Command24
    QPushButton* exportResults; // Command13
    QPushButton* substitute; // 替补: shown after a completed 见证摇号 of this category

signals:
    // Enter pressed in the preset count field, with or without Shift, Ctrl or Alt.
    void presetEnterPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCounters(const Session& session);

    Category m_category;
};

} // namespace pelorin
