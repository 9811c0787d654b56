#pragma once
// The find bar of a grid: a line under the grid with a box for the text, previous and next buttons
// and a note. Typing moves to the first row, from the current one on, with a shown cell (of the
// shown columns and the rows the filter row leaves) holding the
// text (letters compared without case); Enter or F3 finds the next row, Shift+F3 the previous one,
// wrapping round with a note; no match leaves the row and says so. Esc closes the bar and gives the
// focus back to the grid. The move is the one a click makes: the table's current row changes, so
// bound boxes and detail tables follow.

#include <QWidget>

class DBGrid;
class QLabel;
class QLineEdit;
class QPushButton;

class GridFindBar : public QWidget
{
    Q_OBJECT

public:
    /// A hidden bar for grid; the grid places it.
    explicit GridFindBar(DBGrid* grid, QWidget* parent = nullptr);

    /// Shows the bar with its text selected and the focus in it.
    void open();
    /// Hides the bar and gives the focus back to the grid.
    void close();

    QLineEdit* txtFind;
    QLabel* lblFind;
    QPushButton* btnFindPrev;
    QPushButton* btnFindNext;
    QLabel* lblNote;

    /// Finds the text from the current row on (typing), or from the next or previous row.
    enum class From { Current, Next, Previous };
    void find(From from);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    /// The note under the box; shown only while it says something.
    void setNote(const QString& note);

    DBGrid* m_grid;
};
